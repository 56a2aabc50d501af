#include "app/window_size.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "common/file_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

TEST(WindowSize, AKeptSizeReadsBackAndDamageIsRefused) {
  const KeptWindowSize size{1300, 740, true};
  EXPECT_EQ(FormatWindowSize(size), "width=1300\nheight=740\nmaximized=1\n");
  EXPECT_EQ(ParseWindowSize(FormatWindowSize(size), 1064, 724), size);
  EXPECT_EQ(ParseWindowSize("height=724\r\nwidth=1064\r\n", 1064, 724),
            (KeptWindowSize{1064, 724, false}));
  // Smaller than the window can be, a side missing, beyond any screen, or
  // not a number: the window opens at its smallest size.
  EXPECT_EQ(ParseWindowSize("width=1063\nheight=724\n", 1064, 724), std::nullopt);
  EXPECT_EQ(ParseWindowSize("width=1200\n", 1064, 724), std::nullopt);
  EXPECT_EQ(ParseWindowSize("width=99999\nheight=800\n", 1064, 724), std::nullopt);
  EXPECT_EQ(ParseWindowSize("width=12x0\nheight=800\n", 1064, 724), std::nullopt);
  EXPECT_EQ(ParseWindowSize("width=1200\nheight=800\nmaximized=2\n", 1064, 724), std::nullopt);
  EXPECT_EQ(ParseWindowSize("", 1064, 724), std::nullopt);
}

TEST(WindowSize, TheFileRoundTripsAndAMissingOneIsNoSize) {
  test::TempDir dir;
  const std::string path = dir.Path("window.ini");
  EXPECT_EQ(LoadWindowSize(path, 1064, 724), std::nullopt);
  ASSERT_TRUE(SaveWindowSize(path, {1366, 768, false}));
  EXPECT_EQ(LoadWindowSize(path, 1064, 724), (KeptWindowSize{1366, 768, false}));
  // A folder in the file's place is not read as one.
  const std::string folder = dir.Path("folder.ini");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(LoadWindowSize(folder, 1064, 724), std::nullopt);
}

TEST(WindowSize, TheRowsBelowTheScoreFollowTheBottomAndTheScrollBarTheRight) {
  const Rect combo{10, 644, 100, 670};
  const Rect cell{10, 10, 138, 110};
  const Rect bar{1040, 10, 1057, 620};
  EXPECT_EQ(AnchorOf(combo, 620), WindowAnchor::kBottomLeft);
  EXPECT_EQ(AnchorOf(Rect{960, 620, 1048, 652}, 620), WindowAnchor::kBottomLeft);
  EXPECT_EQ(AnchorOf(cell, 620), WindowAnchor::kTopLeft);
  EXPECT_EQ(FollowGrowth(combo, WindowAnchor::kBottomLeft, 302, 44), (Rect{10, 688, 100, 714}));
  EXPECT_EQ(FollowGrowth(cell, WindowAnchor::kTopLeft, 302, 44), cell);
  EXPECT_EQ(FollowGrowth(bar, WindowAnchor::kRightEdge, 302, 44), (Rect{1342, 10, 1359, 664}));
  // No growth, or a window squeezed below its smallest size: all in place.
  for (WindowAnchor anchor :
       {WindowAnchor::kTopLeft, WindowAnchor::kBottomLeft, WindowAnchor::kRightEdge}) {
    EXPECT_EQ(FollowGrowth(bar, anchor, 0, 0), bar);
    EXPECT_EQ(FollowGrowth(bar, anchor, -5, -9), bar);
  }
}

}  // namespace
}  // namespace kumoito
