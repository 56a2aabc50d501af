#pragma once
// The few faults that are shown to the user rather than reported as coded
// lines ("[4]", "time sign 0", the settings notice, ...). The window installs a
// sink that opens a modal message box; without one (batch mode, tests before
// any window exists) the text goes to standard error as one line.
//
// Thread-safety: ShowMessageBox may be called from any thread, but a GUI sink
// must only be installed by, and called on, the GUI thread.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

using MessageBoxSink = std::function<void(std::string_view text)>;

// Shows text (UTF-8) to the user and returns when the user has seen it.
void ShowMessageBox(std::string_view text);

// Replaces the sink; returns the previous one. An empty sink means stderr.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

// Collects every message box shown while it lives, instead of showing it.
class ScopedMessageBoxCapture {
 public:
  ScopedMessageBoxCapture();
  ~ScopedMessageBoxCapture();
  ScopedMessageBoxCapture(const ScopedMessageBoxCapture&) = delete;
  ScopedMessageBoxCapture& operator=(const ScopedMessageBoxCapture&) = delete;

  std::vector<std::string> Messages() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace kumoito
