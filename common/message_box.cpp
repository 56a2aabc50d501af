#include "common/message_box.h"

#include <cstdio>
#include <mutex>

namespace kumoito {
namespace {

std::mutex g_mutex;
MessageBoxSink g_sink;

}  // namespace

void ShowMessageBox(std::string_view text) {
  MessageBoxSink sink;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    sink = g_sink;
  }
  // Called outside the lock: a GUI sink runs a modal loop that may show
  // another message box.
  if (sink) {
    sink(text);
    return;
  }
  std::string line(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MessageBoxSink previous = std::move(g_sink);
  g_sink = std::move(sink);
  return previous;
}

struct ScopedMessageBoxCapture::State {
  mutable std::mutex mutex;
  std::vector<std::string> messages;
  MessageBoxSink previous;
};

ScopedMessageBoxCapture::ScopedMessageBoxCapture() : m_state(std::make_unique<State>()) {
  State* state = m_state.get();
  m_state->previous = SetMessageBoxSink([state](std::string_view text) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->messages.emplace_back(text);
  });
}

ScopedMessageBoxCapture::~ScopedMessageBoxCapture() {
  SetMessageBoxSink(std::move(m_state->previous));
}

std::vector<std::string> ScopedMessageBoxCapture::Messages() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->messages;
}

}  // namespace kumoito
