#pragma once
// The score area's share of the keyboard: ScoreKeysWidget holds the score's
// cells and takes the keys while it has the focus (a click on a cell gives
// it), the input method's text in lyric mode, and the mouse's drags and
// Shift+clicks over the cells; the window turns them into the logic's
// calls. Beside it, the translation of a Qt key into the cursor's KeyStroke
// and the system clipboard's side of copy and paste.
//
// Thread-safety: GUI thread only.

#include <QWidget>
#include <functional>
#include <optional>

#include "input/clip_payload.h"
#include "input/score_cursor.h"

class QKeyEvent;

namespace kumoito {

class ScoreKeysWidget final : public QWidget {
 public:
  struct Callbacks {
    std::function<bool(QKeyEvent&)> key;          // true: taken
    std::function<bool(const QKeyEvent&)> wants;  // over the window's shortcuts
    std::function<bool()> wantsTab;               // Tab types rather than moves the focus
    std::function<void(const QString&)> commit;   // the input method's text
    std::function<void(const QString&)> preedit;
    // The selection runs to this point of a cell (a drag's end, a Shift+click);
    // false when child is no cell.
    std::function<bool(QWidget* child, QPoint at)> extend;
  };

  ScoreKeysWidget(Callbacks callbacks, QWidget* parent = nullptr);
  // Lyric mode takes the input method's text; otherwise keys are notes.
  void SetInputMethodOn(bool on);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool next) override;
  void childEvent(QChildEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Callbacks m_callbacks;
  QPoint m_pressAt;
  bool m_inputMethodOn = false;
};

// The key as the cursor names it; Ctrl and Alt give the letter or digit of
// the key rather than the control character it types.
KeyStroke ToKeyStroke(const QKeyEvent& event);

void PutOnClipboard(const ClipboardPayload& payload);
// What the clipboard holds in this program's format; empty data when none.
ClipboardPayload TakeFromClipboard();

}  // namespace kumoito
