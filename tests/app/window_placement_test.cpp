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

// The score's cells of that frame: client (10, 10) to (1034, 620), below a
// 27-pixel title bar and beside a 1-pixel border.
Rect Cells(const Rect& frame) {
  return {frame.left + 1 + 10, frame.top + 27 + 10, frame.left + 1 + 1034, frame.top + 27 + 620};
}

WindowPosition Place(const Rect& main, const Rect& screen) {
  return PlaceInputTool(main, Cells(main), kToolWidth, kToolHeight, screen);
}

bool Inside(const WindowPosition& at, const Rect& available) {
  return at.x >= available.left && at.y >= available.top && at.x + kToolWidth <= available.right &&
         at.y + kToolHeight <= available.bottom;
}

TEST(PlaceInputToolTest, BesideTheMainWindowWhenTheScreenHasRoom) {
  const Rect screen{0, 0, 1920, 1080 - 40};
  const WindowPosition at = Place(Frame(100, 50), screen);
  EXPECT_EQ(at, (WindowPosition{100 + kMainWidth + 8, 50}));
  // Exactly enough room still counts as room.
  const Rect tight{0, 0, 100 + kMainWidth + 8 + kToolWidth, 1040};
  EXPECT_EQ(Place(Frame(100, 50), tight).x, 100 + kMainWidth + 8);
}

TEST(PlaceInputToolTest, OverTheRightOfTheScoreAndWhollyOnNarrowScreens) {
  // Laptop screens where a centred main window leaves no room beside it.
  for (const Rect& screen :
       {Rect{0, 0, 1366, 768 - 32}, Rect{0, 0, 1400, 1050}, Rect{0, 27, 1280, 1024}}) {
    SCOPED_TRACE(screen.right);
    const int left = (screen.Width() - kMainWidth) / 2;
    const Rect main = Frame(left, screen.top + 10);
    const WindowPosition at = Place(main, screen);
    EXPECT_TRUE(Inside(at, screen)) << at.x << "," << at.y;
    // Within the cells, at their right: the buttons and the practice row
    // below them, and the scroll bar beside them, stay clear.
    const Rect cells = Cells(main);
    EXPECT_GE(at.x, cells.left);
    EXPECT_LE(at.x + kToolWidth, cells.right);
    EXPECT_GT(at.x + kToolWidth, cells.right - 20);
    EXPECT_GE(at.y, cells.top);
    EXPECT_LE(at.y + kToolHeight, cells.bottom);
  }
}

TEST(PlaceInputToolTest, PulledBackOntoTheScreenWhereverTheMainWindowIs) {
  const Rect screen{0, 0, 1366, 736};
  // The main window pushed past the right and bottom edges, and off the top.
  for (const Rect& main : {Frame(900, 300), Frame(-500, -200), Frame(200, 600)}) {
    SCOPED_TRACE(main.left);
    EXPECT_TRUE(Inside(Place(main, screen), screen));
  }
  // A second screen to the right of the first: coordinates are the desktop's.
  const Rect second{1920, 0, 1920 + 1366, 768};
  EXPECT_TRUE(Inside(Place(Frame(2000, 0), second), second));
}

TEST(PlaceInputToolTest, AToolLargerThanTheScreenKeepsItsCornerOnIt) {
  const Rect tiny{10, 20, 200, 200};
  EXPECT_EQ(Place(Frame(0, 0), tiny), (WindowPosition{10, 20}));
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

bool FrameInside(const Rect& at, int decorationWidth, int decorationHeight, const Rect& room) {
  return at.left >= room.left && at.top >= room.top &&
         at.left + at.Width() + decorationWidth <= room.right &&
         at.top + at.Height() + decorationHeight <= room.bottom;
}

TEST(FitWindowInside, AWindowOpensWholeOnScreensLargeAndSmall) {
  // A laptop's screen below a 32-pixel panel: the whole size fits, centred.
  const Rect laptop{0, 32, 1366, 768};
  const Rect roomy = FitWindowInside(laptop, 720, 600, 2, 28, 240, 160);
  EXPECT_EQ(roomy.Width(), 720);
  EXPECT_EQ(roomy.Height(), 600);
  EXPECT_TRUE(FrameInside(roomy, 2, 28, laptop));
  EXPECT_EQ(roomy.left, (1366 - 722) / 2);
  EXPECT_EQ(roomy.top, 32 + (736 - 628) / 2);

  // A small screen: the window shrinks to the room, frame and all.
  const Rect small{100, 0, 740, 480};
  const Rect shrunk = FitWindowInside(small, 720, 600, 2, 28, 240, 160);
  EXPECT_EQ(shrunk.Width(), 638);
  EXPECT_EQ(shrunk.Height(), 452);
  EXPECT_TRUE(FrameInside(shrunk, 2, 28, small));

  // Smaller than any readable window: the title bar stays on the screen.
  const Rect tiny{0, 0, 200, 100};
  const Rect least = FitWindowInside(tiny, 720, 600, 2, 28, 240, 160);
  EXPECT_EQ(least.Width(), 240);
  EXPECT_EQ(least.Height(), 160);
  EXPECT_EQ(least.left, 0);
  EXPECT_EQ(least.top, 0);
}

}  // namespace
}  // namespace kumoito
