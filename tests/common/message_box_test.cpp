#include "common/message_box.h"

#include <gtest/gtest.h>

namespace kumoito {
namespace {

TEST(MessageBox, CaptureCollectsInOrderAndRestores) {
  std::vector<std::string> outerSeen;
  MessageBoxSink previous =
      SetMessageBoxSink([&outerSeen](std::string_view text) { outerSeen.emplace_back(text); });
  {
    ScopedMessageBoxCapture capture;
    ShowMessageBox("[0]");
    ShowMessageBox("time sign 0");
    EXPECT_EQ(capture.Messages(), (std::vector<std::string>{"[0]", "time sign 0"}));
  }
  ShowMessageBox("after");
  EXPECT_EQ(outerSeen, std::vector<std::string>{"after"});
  SetMessageBoxSink(std::move(previous));
}

}  // namespace
}  // namespace kumoito
