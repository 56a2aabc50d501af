#include "render/vector_canvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/svg_canvas.h"
#include "tests/render/render_test_util.h"

namespace kumoito {
namespace {

// Records the primitives a drawing became.
class RecordingCanvas final : public VectorCanvas {
 public:
  using VectorCanvas::VectorCanvas;
  struct Stroke {
    double x0, y0, x1, y1, width;
  };
  struct Text {
    std::u32string text;
    std::vector<double> xs;
    double baseline;
    double em;
    PageRect clip;
  };
  std::vector<PageRect> fills;
  std::vector<Stroke> strokes;
  std::vector<Text> texts;

 protected:
  void FillArea(const PageRect& r, Color) override { fills.push_back(r); }
  void StrokeLine(double x0, double y0, double x1, double y1, double width, Color) override {
    strokes.push_back({x0, y0, x1, y1, width});
  }
  void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                double em, Color, const PageRect& clip) override {
    texts.push_back({text, xs, baseline, em, clip});
  }
};

class VectorCanvasTest : public ::testing::Test {
 protected:
  test::ScopedFixedGlyphs m_glyphs;
  RecordingCanvas m_canvas{&m_glyphs.glyphs()};
};

TEST_F(VectorCanvasTest, LinesCoverThePixelsARasterLinePaints) {
  // A picture of 128 x 100 at (50, 10) of the page, two units a pixel.
  m_canvas.BeginArea(50, 10, 2, 128, 100);
  m_canvas.MoveTo(0, 20);
  m_canvas.LineTo(128, 20);  // pixels 0..127 of row 20
  m_canvas.MoveTo(10, 5);
  m_canvas.LineTo(2, 5);  // drawn backwards: pixels 3..10
  m_canvas.MoveTo(127, 20);
  m_canvas.LineTo(127, 60);  // the right bar line, rows 20..59
  m_canvas.MoveTo(100, 90);
  m_canvas.LineTo(200, 90);  // cut at the picture's edge
  ASSERT_EQ(m_canvas.strokes.size(), 4u);
  const auto& across = m_canvas.strokes[0];
  EXPECT_DOUBLE_EQ(across.x0, 50);
  EXPECT_DOUBLE_EQ(across.x1, 50 + 256);
  EXPECT_DOUBLE_EQ(across.y0, 10 + 41);
  EXPECT_DOUBLE_EQ(across.width, 2);
  EXPECT_DOUBLE_EQ(m_canvas.strokes[1].x0, 50 + 6);
  EXPECT_DOUBLE_EQ(m_canvas.strokes[1].x1, 50 + 22);
  const auto& down = m_canvas.strokes[2];
  EXPECT_DOUBLE_EQ(down.x0, 50 + 255);
  EXPECT_DOUBLE_EQ(down.y0, 10 + 40);
  EXPECT_DOUBLE_EQ(down.y1, 10 + 120);
  EXPECT_DOUBLE_EQ(m_canvas.strokes[3].x1, 50 + 256);
}

TEST_F(VectorCanvasTest, TextSitsAtTheRasterPenPositionsClippedToItsBox) {
  m_canvas.BeginArea(0, 0, 1, 128, 100);
  m_canvas.SetBackgroundMode(BackgroundMode::kOpaque);
  m_canvas.SelectFont(Font{12});
  // Fixed glyphs: half-width characters 6 wide, full-width 12; the box of
  // 16 pixels holds "ab" and the start of the full-width one.
  m_canvas.DrawTextInBox("ab\x82\xA0z", Rect{12, 30, 28, 46});
  ASSERT_EQ(m_canvas.texts.size(), 1u);
  const auto& t = m_canvas.texts[0];
  EXPECT_EQ(t.text, U"ab\u3042");
  EXPECT_EQ(t.xs, (std::vector<double>{12, 18, 24}));
  // Centred: the 12-pixel cell starts at 32; the ascent is 10.
  EXPECT_DOUBLE_EQ(t.baseline, 42);
  EXPECT_DOUBLE_EQ(t.clip.x, 12);
  EXPECT_DOUBLE_EQ(t.clip.width, 16);
  // The background behind the text's cells, cut at the box.
  ASSERT_EQ(m_canvas.fills.size(), 1u);
  EXPECT_DOUBLE_EQ(m_canvas.fills[0].y, 32);
  EXPECT_DOUBLE_EQ(m_canvas.fills[0].width, 16);
  EXPECT_DOUBLE_EQ(m_canvas.fills[0].height, 12);
}

TEST_F(VectorCanvasTest, NothingIsDrawnOutsideTheArea) {
  m_canvas.BeginArea(0, 0, 1, 128, 100);
  m_canvas.FillRect(Rect{120, 90, 200, 200}, kBlack);
  m_canvas.DrawTextInBox("a", Rect{130, 0, 160, 20});
  ASSERT_EQ(m_canvas.fills.size(), 1u);
  EXPECT_DOUBLE_EQ(m_canvas.fills[0].width, 8);
  EXPECT_DOUBLE_EQ(m_canvas.fills[0].height, 10);
  EXPECT_TRUE(m_canvas.texts.empty());
}

TEST(SvgCanvas, EscapesTextAndDropsControlCharacters) {
  test::ScopedFixedGlyphs glyphs;
  SvgCanvas svg(100, 40, &glyphs.glyphs());
  svg.BeginArea(0, 0, 1, 100, 40);
  svg.DrawTextInBox("<a&\"\x01>", Rect{0, 0, 100, 40});
  const std::string doc = svg.Finish();
  EXPECT_NE(doc.find(">&lt;a&amp;&quot;&gt;</text>"), std::string::npos) << doc;
  EXPECT_NE(doc.find("width=\"100\" height=\"40\""), std::string::npos);
}

}  // namespace
}  // namespace kumoito
