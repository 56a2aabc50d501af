#pragma once
// InputToolWindow: the modeless pink window of the note input tool. It shows
// what its CInputDlg holds and hands every user change to it; it owns no state
// of its own. Its close box, Escape, and Enter outside the number boxes only
// hide it (its owner shows it again); Enter in a number box applies the
// number and the tool stays.
//
// Thread-safety: GUI thread only.

#include "render/qt/dialog_style.h"

class QComboBox;
class QLineEdit;
class QKeyEvent;
class QSpinBox;

namespace kumoito {

class CInputDlg;

class InputToolWindow : public KumoitoDialog {
  Q_OBJECT
 public:
  // Shows the logic, which its owner has initialised, and follows it from
  // then on. The logic must outlive the window.
  InputToolWindow(CInputDlg& logic, QWidget* parent);
  ~InputToolWindow() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();

  CInputDlg& m_logic;
  QSpinBox* m_measureCount = nullptr;
  QSpinBox* m_measure = nullptr;
  QSpinBox* m_beat = nullptr;
  QComboBox* m_type = nullptr;
  QComboBox* m_string = nullptr;
  QComboBox* m_kandokoro = nullptr;
  QComboBox* m_noteValue = nullptr;
  QComboBox* m_technique = nullptr;
  QComboBox* m_finger = nullptr;
  QComboBox* m_togetherString = nullptr;
  QComboBox* m_togetherKandokoro = nullptr;
  QComboBox* m_repeat = nullptr;
  QComboBox* m_ending = nullptr;
  QLineEdit* m_syllable = nullptr;
};

}  // namespace kumoito
