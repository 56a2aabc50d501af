#include "app/window_zoom.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "common/file_util.h"

namespace kumoito {
namespace {

TEST(WindowZoom, TheLargestStepThatFitsTheRoomIsUsed) {
  WindowZoom zoom(1064, 724);
  ASSERT_TRUE(zoom.Choose(200));
  EXPECT_EQ(zoom.Current(), 200);  // no room known yet
  // A 1920 x 1080 screen less a panel and the frame: 150 % is 1596 x 1086,
  // a few rows too tall, so 125 % (1330 x 905) is the largest that fits.
  zoom.SetRoom(1916, 1040);
  EXPECT_TRUE(zoom.Fits(125));
  EXPECT_FALSE(zoom.Fits(150));
  EXPECT_FALSE(zoom.Fits(200));
  EXPECT_FALSE(zoom.Fits(175));  // not a step
  EXPECT_EQ(zoom.Current(), 125);
  EXPECT_EQ(zoom.Chosen(), 200);  // kept for a larger screen
  EXPECT_EQ(zoom.Width(), 1330);
  EXPECT_EQ(zoom.Height(), 905);
  EXPECT_FALSE(zoom.Choose(150));
  EXPECT_FALSE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Current(), 125);
  // Room for exactly 150 % fits it.
  zoom.SetRoom(1596, 1086);
  EXPECT_EQ(zoom.Current(), 150);
  // 100 % is offered on any screen, even one too small for it.
  zoom.SetRoom(800, 600);
  EXPECT_TRUE(zoom.Fits(100));
  EXPECT_EQ(zoom.Current(), 100);
}

TEST(WindowZoom, KeysStepThroughTheStepsThatFit) {
  WindowZoom zoom(1064, 724);
  zoom.SetRoom(1600, 1100);  // up to 150 %
  EXPECT_TRUE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Current(), 125);
  EXPECT_TRUE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Current(), 150);
  EXPECT_FALSE(zoom.ZoomIn());
  EXPECT_TRUE(zoom.ZoomOut());
  EXPECT_EQ(zoom.Current(), 125);
  EXPECT_TRUE(zoom.Reset());
  EXPECT_FALSE(zoom.ZoomOut());
  EXPECT_EQ(zoom.Current(), 100);
  EXPECT_FALSE(zoom.Choose(100));  // already in use: no change
}

TEST(WindowZoom, GeometryUsesTheEdgeRuleBothWays) {
  WindowZoom zoom(1064, 724);
  ASSERT_TRUE(zoom.Choose(125));
  // Buttons (660, 622)-(748, 652) and (660, 652)-(748, 682) touch at 1x; at
  // 125 % the shared edge 815 is the one rounded edge of both.
  EXPECT_EQ(zoom.Map(Rect{660, 622, 748, 652}), (Rect{825, 778, 935, 815}));
  EXPECT_EQ(zoom.Map(Rect{660, 652, 748, 682}), (Rect{825, 815, 935, 853}));
  // Every zoomed pixel maps back into the 1x pixel whose run holds it.
  for (int step : kZoomSteps) {
    ASSERT_TRUE(zoom.Choose(step));
    for (int v = 0; v < 1400; ++v) {
      const int p = zoom.Unmap(v);
      ASSERT_LE(zoom.Map(Rect{p, 0, p + 1, 1}).left, v) << step << " " << v;
      ASSERT_GT(zoom.Map(Rect{p, 0, p + 1, 1}).right, v) << step << " " << v;
    }
  }
  ASSERT_TRUE(zoom.Choose(150));
  EXPECT_EQ(zoom.Unmap(15), 10);  // the score's left edge
  EXPECT_EQ(zoom.Unmap(14), 9);
}

TEST(WindowZoom, TheChoiceIsKeptInItsOwnFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kumoito-zoom-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / kZoomFileName).string();
  {
    WindowZoom zoom(1064, 724);
    zoom.Load(path);  // no file yet
    EXPECT_EQ(zoom.Chosen(), 100);
    zoom.SetRoom(1400, 1000);
    ASSERT_TRUE(zoom.Choose(125));
    EXPECT_FALSE(zoom.Choose(200));  // does not fit: the file keeps 125
  }
  EXPECT_EQ(LoadZoomPercent(path), 125);
  WindowZoom next(1064, 724);
  next.Load(path);
  EXPECT_EQ(next.Current(), 125);

  // What an older or damaged file may hold.
  EXPECT_EQ(ParseZoomPercent("other=3\r\npercent=150\r\n"), 150);
  EXPECT_EQ(ParseZoomPercent("percent=175\n"), 100);
  EXPECT_EQ(ParseZoomPercent("percent=2000000000000\n"), 100);
  EXPECT_EQ(ParseZoomPercent("percent=125x\n"), 100);
  EXPECT_EQ(ParseZoomPercent(""), 100);
  EXPECT_EQ(FormatZoomPercent(200), "percent=200\n");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kumoito
