#include "render/scaled_canvas.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/glyph_source.h"
#include "render/raster_surface.h"
#include "render/score_view.h"

namespace kumoito {
namespace {

// Fixed boxes, remembering which cell heights were asked for.
class RecordingGlyphs final : public GlyphSource {
 public:
  const Glyph& GetGlyph(char32_t cp, int cellHeight) override {
    heights.push_back(cellHeight);
    return m_boxes.GetGlyph(cp, cellHeight);
  }
  int Ascent(int cellHeight) override { return m_boxes.Ascent(cellHeight); }
  std::string Name() const override { return "recording"; }
  std::vector<int> heights;

 private:
  FixedGlyphSource m_boxes;
};

bool IsBlack(const RasterSurface& s, int x, int y) {
  return s.PixelAt(x, y) == kBlack;
}

TEST(ScaledCanvas, CellAtScaleTwoDoublesLinesBoxesAndFonts) {
  RecordingGlyphs glyphs;
  RasterSurface picture(256, 200, &glyphs);
  ScaledCanvas canvas(picture, 2.0);
  // A sixteenth "○" on the middle string at eighth 0: at 1x its box is
  // (12, 30)-(28, 46) with underlines at y = 46 and 48 from x = 14 to 26.
  CellEntry e;
  e.eighth = 0;
  e.string = 1;
  e.kandokoro = 1;
  e.length = 0.5;
  DrawScoreCell(canvas, 128, 100, &e, 1);

  for (int y : {40, 80, 120}) {
    EXPECT_FALSE(IsBlack(picture, 200, y - 1)) << y;
    EXPECT_TRUE(IsBlack(picture, 200, y)) << y;
    EXPECT_TRUE(IsBlack(picture, 200, y + 1)) << y;
    EXPECT_FALSE(IsBlack(picture, 200, y + 2)) << y;
  }
  // Bar lines two pixels wide at both ends, from y = 40 to 120.
  for (int x : {0, 1, 254, 255}) {
    EXPECT_TRUE(IsBlack(picture, x, 60)) << x;
    EXPECT_FALSE(IsBlack(picture, x, 39)) << x;
  }
  EXPECT_FALSE(IsBlack(picture, 2, 60));
  EXPECT_FALSE(IsBlack(picture, 253, 60));
  // The glyph is a 24-pixel cell from x = 24 on its opaque background: ink
  // one pixel inside it, and the string line again from x = 48.
  EXPECT_TRUE(IsBlack(picture, 23, 80));
  EXPECT_FALSE(IsBlack(picture, 24, 80));
  EXPECT_TRUE(IsBlack(picture, 25, 80));
  EXPECT_FALSE(IsBlack(picture, 47, 80));
  EXPECT_TRUE(IsBlack(picture, 48, 80));
  // Underlines at rows 92-93 and 96-97, from x = 28 up to 52.
  for (int y : {92, 93, 96, 97}) {
    EXPECT_FALSE(IsBlack(picture, 27, y)) << y;
    EXPECT_TRUE(IsBlack(picture, 28, y)) << y;
    EXPECT_TRUE(IsBlack(picture, 51, y)) << y;
    EXPECT_FALSE(IsBlack(picture, 52, y)) << y;
  }
  EXPECT_FALSE(IsBlack(picture, 40, 94));
  // The 12-pixel label font is asked for at 24 pixels, and nothing else.
  ASSERT_FALSE(glyphs.heights.empty());
  for (int h : glyphs.heights) {
    EXPECT_EQ(h, 24);
  }
}

TEST(ScaledCanvas, RoundedEdgesKeepTouchingBoxesTouching) {
  EXPECT_EQ(ScaleEdge(1, 1.5), 2);  // 1.5 rounds away from zero
  EXPECT_EQ(ScaleEdge(3, 1.25), 4);
  EXPECT_EQ(ScaleEdge(10, 1.25), 13);
  RasterSurface picture(20, 4);
  ScaledCanvas canvas(picture, 1.25);
  canvas.FillRect(Rect{0, 0, 3, 1}, kBlack);
  canvas.FillRect(Rect{3, 0, 7, 1}, Rgb(255, 0, 0));
  // No gap and no overlap where the two meet, at x = round(3.75) = 4.
  EXPECT_EQ(picture.PixelAt(3, 0), kBlack);
  EXPECT_EQ(picture.PixelAt(4, 0), Rgb(255, 0, 0));
  EXPECT_EQ(picture.PixelAt(8, 0), Rgb(255, 0, 0));
  EXPECT_EQ(picture.PixelAt(9, 0), kWhite);
  // A one-pixel pen line at row 1 covers rows round(1.25) = 1 up to
  // round(2.5) = 3, and x up to round(4 * 1.25) = 5, the end point unpainted.
  canvas.MoveTo(0, 1);
  canvas.LineTo(4, 1);
  EXPECT_EQ(picture.PixelAt(0, 1), kBlack);
  EXPECT_EQ(picture.PixelAt(4, 2), kBlack);
  EXPECT_EQ(picture.PixelAt(5, 2), kWhite);
  EXPECT_EQ(picture.PixelAt(0, 3), kWhite);
}

TEST(ScaledCanvas, ScaleOneDrawsTheSamePixelsAsTheSurface) {
  FixedGlyphSource glyphs;
  RasterSurface direct(128, 100, &glyphs);
  RasterSurface scaled(128, 100, &glyphs);
  ScaledCanvas canvas(scaled, 1.0);
  CellEntry e[2];
  e[0].eighth = 1;
  e[0].kandokoro = 13;
  e[0].length = 4;
  e[1].eighth = 5;
  e[1].string = 2;
  e[1].kandokoro = 3;
  e[1].length = 1;
  DrawScoreCell(direct, 128, 100, e, 2);
  DrawScoreCell(canvas, 128, 100, e, 2);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 128; ++x) {
      ASSERT_EQ(direct.PixelAt(x, y), scaled.PixelAt(x, y)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

int CountColor(const RasterSurface& s, Color c, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      n += s.PixelAt(x, y) == c ? 1 : 0;
    }
  }
  return n;
}

TEST(KeyCursorDrawing, TheFrameSitsOnTheCursorsStringAndTheTintUnderTheSelection) {
  FixedGlyphSource glyphs;
  RasterSurface plain(128, 100, &glyphs);
  RasterSurface marked(128, 100, &glyphs);
  CellEntry e;
  e.string = 0;
  e.kandokoro = 3;
  e.length = 2;
  DrawScoreCell(plain, 128, 100, &e, 1);
  // No marks given: the very picture of a cell without them.
  RasterSurface unmarked(128, 100, &glyphs);
  DrawScoreCell(unmarked, 128, 100, &e, 1, kNoCursorSlot, nullptr);
  EXPECT_EQ(std::vector<std::uint32_t>(unmarked.Bits(), unmarked.Bits() + 128 * 100),
            std::vector<std::uint32_t>(plain.Bits(), plain.Bits() + 128 * 100));

  // Cursor on the fifth sixteenth (half beat 2), 三の糸; the second beat selected.
  KeyCursorDrawing keys;
  keys.cursor = 4;
  keys.string = 2;
  keys.selectFrom = 4;
  keys.selectTo = 8;
  DrawScoreCell(marked, 128, 100, &e, 1, kNoCursorSlot, &keys);
  // The frame: from x 34, around y 9 .. 27 (the third string's numbers).
  EXPECT_GT(CountColor(marked, kKeyCursorColor, 30, 5, 50, 30), 40);
  EXPECT_EQ(CountColor(marked, kKeyCursorColor, 0, 30, 128, 100), 0);
  EXPECT_EQ(CountColor(marked, kKeyCursorColor, 50, 0, 128, 100), 0);
  // The tint runs from half beat 2 to half beat 4, nowhere else.
  EXPECT_GT(CountColor(marked, kSelectionColor, 36, 12, 56, 70), 200);
  EXPECT_EQ(CountColor(marked, kSelectionColor, 0, 0, 33, 100), 0);
  EXPECT_EQ(CountColor(marked, kSelectionColor, 59, 0, 128, 100), 0);
  // The note outside the selection is drawn as before.
  EXPECT_EQ(CountColor(marked, kBlack, 0, 40, 30, 70), CountColor(plain, kBlack, 0, 40, 30, 70));
}

}  // namespace
}  // namespace kumoito
