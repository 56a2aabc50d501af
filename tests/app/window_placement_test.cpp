#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace kumoito {
namespace {

// The main window's frame: 1064 x 724 client pixels with a title bar.
constexpr int kMainWidth = 1066;
constexpr int kMainHeight = 752;
constexpr int kToolWidth = 226;
constexpr int kToolHeight = 254;

Rect Frame(int x, int y) {
  return {x, y, x + kMainWidth, y + kMainHeight};
}

bool Inside(const WindowPosition& at, const Rect& available) {
  return at.x >= available.left && at.y >= available.top && at.x + kToolWidth <= available.right &&
         at.y + kToolHeight <= available.bottom;
}

TEST(PlaceInputToolTest, BesideTheMainWindowWhenTheScreenHasRoom) {
  const Rect screen{0, 0, 1920, 1080 - 40};
  const WindowPosition at = PlaceInputTool(Frame(100, 50), kToolWidth, kToolHeight, screen);
  EXPECT_EQ(at, (WindowPosition{100 + kMainWidth + 8, 50}));
  // Exactly enough room still counts as room.
  const Rect tight{0, 0, 100 + kMainWidth + 8 + kToolWidth, 1040};
  EXPECT_EQ(PlaceInputTool(Frame(100, 50), kToolWidth, kToolHeight, tight).x, 100 + kMainWidth + 8);
}

TEST(PlaceInputToolTest, OverTheRightEdgeAndWhollyOnNarrowScreens) {
  // Laptop screens where a centred main window leaves no room beside it.
  for (const Rect& screen :
       {Rect{0, 0, 1366, 768 - 32}, Rect{0, 0, 1400, 1050}, Rect{0, 27, 1280, 1024}}) {
    SCOPED_TRACE(screen.right);
    const int left = (screen.Width() - kMainWidth) / 2;
    const Rect main = Frame(left, screen.top + 10);
    const WindowPosition at = PlaceInputTool(main, kToolWidth, kToolHeight, screen);
    EXPECT_TRUE(Inside(at, screen)) << at.x << "," << at.y;
    // Over the main window, at its right edge.
    EXPECT_LT(at.x, main.right);
    EXPECT_GT(at.x + kToolWidth, main.right - 60);
  }
}

TEST(PlaceInputToolTest, PulledBackOntoTheScreenWhereverTheMainWindowIs) {
  const Rect screen{0, 0, 1366, 736};
  // The main window pushed past the right and bottom edges, and off the top.
  for (const Rect& main : {Frame(900, 300), Frame(-500, -200), Frame(200, 600)}) {
    SCOPED_TRACE(main.left);
    EXPECT_TRUE(Inside(PlaceInputTool(main, kToolWidth, kToolHeight, screen), screen));
  }
  // A second screen to the right of the first: coordinates are the desktop's.
  const Rect second{1920, 0, 1920 + 1366, 768};
  EXPECT_TRUE(Inside(PlaceInputTool(Frame(2000, 0), kToolWidth, kToolHeight, second), second));
}

TEST(PlaceInputToolTest, AToolLargerThanTheScreenKeepsItsCornerOnIt) {
  const Rect tiny{10, 20, 200, 200};
  EXPECT_EQ(PlaceInputTool(Frame(0, 0), kToolWidth, kToolHeight, tiny), (WindowPosition{10, 20}));
}

}  // namespace
}  // namespace kumoito
