#include "app/qt/score_keys.h"

#include <QChildEvent>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace kumoito {
namespace {

// A press that moved this far before its release is a drag.
constexpr int kDragDistance = 4;

}  // namespace

ScoreKeysWidget::ScoreKeysWidget(Callbacks callbacks, QWidget* parent)
    : QWidget(parent), m_callbacks(std::move(callbacks)) {
  setFocusPolicy(Qt::ClickFocus);
}

void ScoreKeysWidget::SetInputMethodOn(bool on) {
  if (on == m_inputMethodOn) {
    return;
  }
  m_inputMethodOn = on;
  setAttribute(Qt::WA_InputMethodEnabled, on);
  if (hasFocus()) {
    QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    if (!on) {
      QGuiApplication::inputMethod()->reset();
    }
  }
}

bool ScoreKeysWidget::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && m_callbacks.wants &&
      m_callbacks.wants(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QWidget::event(event);
}

void ScoreKeysWidget::keyPressEvent(QKeyEvent* event) {
  if (m_callbacks.key && m_callbacks.key(*event)) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ScoreKeysWidget::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty() && m_callbacks.commit) {
    m_callbacks.commit(event->commitString());
  }
  if (m_callbacks.preedit) {
    m_callbacks.preedit(event->preeditString());
  }
  event->accept();
}

QVariant ScoreKeysWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return m_inputMethodOn;
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
      return QWidget::inputMethodQuery(query);
  }
}

bool ScoreKeysWidget::focusNextPrevChild(bool next) {
  if (m_callbacks.wantsTab && m_callbacks.wantsTab()) {
    return false;  // the key comes to keyPressEvent
  }
  return QWidget::focusNextPrevChild(next);
}

void ScoreKeysWidget::childEvent(QChildEvent* event) {
  if (event->added() && event->child()->isWidgetType()) {
    event->child()->installEventFilter(this);
  }
  QWidget::childEvent(event);
}

bool ScoreKeysWidget::eventFilter(QObject* watched, QEvent* event) {
  auto* child = qobject_cast<QWidget*>(watched);
  if (child == nullptr || !m_callbacks.extend) {
    return QWidget::eventFilter(watched, event);
  }
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ShiftModifier) != 0 &&
        m_callbacks.extend(child, mouse->position().toPoint())) {
      setFocus(Qt::MouseFocusReason);
      return true;
    }
    m_pressAt = mouse->globalPosition().toPoint();
  } else if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (mouse->button() == Qt::LeftButton &&
        (global - m_pressAt).manhattanLength() >= kDragDistance) {
      // The pressed cell gets every move; the cell under the release is the end.
      QWidget* under = childAt(mapFromGlobal(global));
      if (under != nullptr) {
        m_callbacks.extend(under, under->mapFromGlobal(global));
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

KeyStroke ToKeyStroke(const QKeyEvent& event) {
  KeyStroke k;
  const Qt::KeyboardModifiers m = event.modifiers();
  k.shift = (m & Qt::ShiftModifier) != 0;
  k.ctrl = (m & Qt::ControlModifier) != 0;
  k.alt = (m & Qt::AltModifier) != 0;
  switch (event.key()) {
    case Qt::Key_Left:
      k.key = EntryKey::kLeft;
      break;
    case Qt::Key_Right:
      k.key = EntryKey::kRight;
      break;
    case Qt::Key_Up:
      k.key = EntryKey::kUp;
      break;
    case Qt::Key_Down:
      k.key = EntryKey::kDown;
      break;
    case Qt::Key_Home:
      k.key = EntryKey::kHome;
      break;
    case Qt::Key_End:
      k.key = EntryKey::kEnd;
      break;
    case Qt::Key_Tab:
      k.key = EntryKey::kTab;
      break;
    case Qt::Key_Backtab:
      k.key = EntryKey::kBacktab;
      break;
    case Qt::Key_Space:
      k.key = EntryKey::kSpace;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      k.key = EntryKey::kReturn;
      break;
    case Qt::Key_Backspace:
      k.key = EntryKey::kBackspace;
      break;
    case Qt::Key_Delete:
      k.key = EntryKey::kDelete;
      break;
    case Qt::Key_Insert:
      k.key = EntryKey::kInsert;
      break;
    case Qt::Key_Escape:
      k.key = EntryKey::kEscape;
      break;
    default: {
      const int key = event.key();
      if ((k.ctrl || k.alt) && key >= Qt::Key_0 && key <= Qt::Key_9) {
        k.text = std::string(1, static_cast<char>('0' + (key - Qt::Key_0)));
      } else if ((k.ctrl || k.alt) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        k.text = std::string(1, static_cast<char>('a' + (key - Qt::Key_A)));
      } else {
        k.text = event.text().toStdString();
      }
    }
  }
  return k;
}

void PutOnClipboard(const ClipboardPayload& payload) {
  auto* mime = new QMimeData;
  mime->setData(kClipMimeType, QByteArray::fromStdString(payload.data));
  if (payload.musicxml.empty()) {
    mime->setText(QString::fromStdString(payload.text));
  } else {
    // Notation programs take MusicXML by its media type, some only as
    // plain text.
    mime->setData(kMusicXmlClipMimeType, QByteArray::fromStdString(payload.musicxml));
    mime->setText(QString::fromStdString(payload.musicxml));
  }
  QGuiApplication::clipboard()->setMimeData(mime);
}

ClipboardPayload TakeFromClipboard() {
  ClipboardPayload payload;
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (mime == nullptr) {
    return payload;
  }
  if (mime->hasFormat(kClipMimeType)) {
    payload.data = mime->data(kClipMimeType).toStdString();
    payload.text = mime->text().toStdString();
  } else if (mime->hasFormat(kMusicXmlClipMimeType)) {
    payload.musicxml = mime->data(kMusicXmlClipMimeType).toStdString();
  } else if (mime->hasText()) {
    std::string text = mime->text().toStdString();
    if (LooksLikeMusicXml(text)) {
      payload.musicxml = std::move(text);
    }
  }
  return payload;
}

}  // namespace kumoito
