#include "app/qt/session_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace kumoito {
namespace {

constexpr std::array<int, 3> kEndSignals = {SIGTERM, SIGHUP, SIGINT};
// Written by the handler, read by the GUI thread; -1 while none is set up.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;

extern "C" void OnEndSignal(int) {
  const int saved = errno;
  const int fd = g_writeEnd;
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already holds a byte saying the same.
    [[maybe_unused]] const ssize_t put = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

SessionEndWatcher::SessionEndWatcher(QObject* parent) : QObject(parent) {
  if (qGuiApp != nullptr) {
    // The session may be logging out: nobody will answer a question, so the
    // unsaved song is kept for the next start instead.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { emit ended(); });
  }
  if (g_readEnd >= 0) {
    return;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;
  }
  g_readEnd = fds[0];
  g_writeEnd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndSignals) {
    ::sigaction(signal, &action, nullptr);
  }
  m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndWatcher::OnReadable);
}

SessionEndWatcher::~SessionEndWatcher() {
  if (m_notifier == nullptr) {
    return;
  }
  // Back to the system's handling: once the window is gone nothing here
  // would act on a byte in the pipe.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kEndSignals) {
    ::sigaction(signal, &action, nullptr);
  }
  const int writeEnd = g_writeEnd;
  g_writeEnd = -1;
  ::close(writeEnd);
  ::close(g_readEnd);
  g_readEnd = -1;
}

void SessionEndWatcher::OnReadable() {
  char bytes[64];
  while (::read(g_readEnd, bytes, sizeof bytes) > 0) {
  }
  emit ended();
}

}  // namespace kumoito
