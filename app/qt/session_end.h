#pragma once
// SessionEndWatcher: hears that the program must end without asking anyone
// (SIGTERM, SIGHUP or SIGINT, and the desktop session's commit-data request)
// and says so on the GUI thread through ended(). The signal handlers only
// write one byte to a pipe, which is all a handler may safely do; a socket
// notifier reads it in the event loop.
//
// Thread-safety: made and used on the GUI thread; one per process.

#include <QObject>

class QSocketNotifier;

namespace kumoito {

class SessionEndWatcher final : public QObject {
  Q_OBJECT
 public:
  // False from Installed() when the pipe or the handlers could not be set
  // up; the program then ends on those signals as it always did.
  explicit SessionEndWatcher(QObject* parent = nullptr);
  ~SessionEndWatcher() override;
  bool Installed() const { return m_notifier != nullptr; }

 signals:
  void ended();

 private:
  void OnReadable();
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kumoito
