#include "app/window_zoom.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "common/file_util.h"

namespace kumoito {
namespace {

TEST(WindowZoom, KeysStepThroughEveryStepAndStopAtTheEnds) {
  WindowZoom zoom;
  EXPECT_EQ(zoom.Current(), 100);
  for (int step : {125, 150, 200, 300}) {
    EXPECT_TRUE(zoom.ZoomIn());
    EXPECT_EQ(zoom.Current(), step);
  }
  EXPECT_FALSE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Current(), 300);
  EXPECT_TRUE(zoom.ZoomOut());
  EXPECT_EQ(zoom.Current(), 200);
  EXPECT_FALSE(zoom.Choose(175));  // not a step
  EXPECT_EQ(zoom.Current(), 200);
  EXPECT_TRUE(zoom.Reset());
  EXPECT_FALSE(zoom.ZoomOut());
  EXPECT_EQ(zoom.Current(), 100);
  EXPECT_FALSE(zoom.Choose(100));  // already in use: no change
}

TEST(WindowZoom, GeometryUsesTheEdgeRuleBothWays) {
  WindowZoom zoom;
  ASSERT_TRUE(zoom.Choose(125));
  // Buttons (660, 622)-(748, 652) and (660, 652)-(748, 682) touch at 1x; at
  // 125 % the shared edge 815 is the one rounded edge of both.
  EXPECT_EQ(zoom.Map(Rect{660, 622, 748, 652}), (Rect{825, 778, 935, 815}));
  EXPECT_EQ(zoom.Map(Rect{660, 652, 748, 682}), (Rect{825, 815, 935, 853}));
  // Every zoomed pixel maps back into the 1x pixel whose run holds it.
  for (int step : kZoomSteps) {
    zoom.Choose(step);
    ASSERT_EQ(zoom.Current(), step);
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
    WindowZoom zoom;
    zoom.Load(path);  // no file yet
    EXPECT_EQ(zoom.Current(), 100);
    ASSERT_TRUE(zoom.Choose(300));
    EXPECT_FALSE(zoom.Choose(250));  // no step: the file keeps 300
  }
  EXPECT_EQ(LoadZoomPercent(path), 300);
  WindowZoom next;
  next.Load(path);
  EXPECT_EQ(next.Current(), 300);

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
