#include "render/raster_surface.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "render/glyph_source.h"
#include "tests/render/render_test_util.h"

namespace kumoito {
namespace {

TEST(RasterSurface, LineToLeavesItsEndPointUnpainted) {
  RasterSurface s(10, 10);
  s.MoveTo(1, 2);
  s.LineTo(5, 2);
  EXPECT_EQ(s.PixelAt(1, 2), kBlack);
  EXPECT_EQ(s.PixelAt(4, 2), kBlack);
  EXPECT_EQ(s.PixelAt(5, 2), kWhite);
  s.MoveTo(3, 9);
  s.LineTo(3, 5);  // upwards
  EXPECT_EQ(s.PixelAt(3, 9), kBlack);
  EXPECT_EQ(s.PixelAt(3, 6), kBlack);
  EXPECT_EQ(s.PixelAt(3, 5), kWhite);
  s.MoveTo(0, 0);
  s.LineTo(20, 0);  // clipped, no fault
  EXPECT_EQ(s.PixelAt(9, 0), kBlack);
}

TEST(RasterSurface, OpaqueTextBlanksTheLineBehindItsCellsOnly) {
  test::ScopedFixedGlyphs fixed;
  RasterSurface s(64, 30);
  s.MoveTo(0, 15);
  s.LineTo(64, 15);
  s.SelectFont(Font{12});
  // Two ASCII characters: 6 + 6 pixels wide, 12 high, centred in 0..30.
  s.DrawTextInBox("ab", Rect{10, 0, 40, 30});
  // Cell background covers x 10..21, y 9..20; ink one pixel inside each cell.
  EXPECT_EQ(s.PixelAt(10, 15), kWhite);  // the line is blanked at the cell edge
  EXPECT_EQ(s.PixelAt(11, 15), kBlack);  // ink of 'a' (to the baseline at y 19)
  EXPECT_EQ(s.PixelAt(16, 15), kWhite);  // between the two boxes
  EXPECT_EQ(s.PixelAt(22, 15), kBlack);  // the line goes on after the text
  EXPECT_EQ(s.PixelAt(9, 15), kBlack);
  EXPECT_EQ(s.PixelAt(11, 8), kWhite);
  EXPECT_EQ(s.PixelAt(11, 9), kBlack);  // first ink row: top of the cell
}

TEST(RasterSurface, TopAlignedTextStartsAtTheTopOfItsBox) {
  test::ScopedFixedGlyphs fixed;
  RasterSurface s(64, 40);
  s.FillRect(Rect{0, 0, 64, 40}, Rgb(1, 2, 3));
  s.DrawTextInBox("a", Rect{10, 5, 40, 35}, VerticalAlign::kTop);
  EXPECT_EQ(s.PixelAt(10, 5), kWhite);  // its cell covers y 5..16
  EXPECT_EQ(s.PixelAt(10, 16), kWhite);
  EXPECT_EQ(s.PixelAt(10, 17), Rgb(1, 2, 3));
  EXPECT_EQ(s.PixelAt(10, 4), Rgb(1, 2, 3));
  EXPECT_EQ(s.PixelAt(11, 5), kBlack);  // first ink row
}

TEST(RasterSurface, TransparentTextKeepsWhatIsBehindAndClipsToTheBox) {
  test::ScopedFixedGlyphs fixed;
  RasterSurface s(64, 30);
  s.FillRect(Rect{0, 0, 64, 30}, Rgb(1, 2, 3));
  s.SetBackgroundMode(BackgroundMode::kTransparent);
  s.SetTextColor(Rgb(0, 100, 0));
  s.DrawTextInBox("abcdef", Rect{0, 0, 14, 30});
  EXPECT_EQ(s.PixelAt(1, 15), Rgb(0, 100, 0));
  EXPECT_EQ(s.PixelAt(0, 15), Rgb(1, 2, 3));  // between cells: untouched
  EXPECT_EQ(s.PixelAt(13, 15), Rgb(0, 100, 0));
  EXPECT_EQ(s.PixelAt(14, 15), Rgb(1, 2, 3));  // clipped at the box
}

// One glyph of one row whose column i has coverage i.
class RampGlyphs final : public GlyphSource {
 public:
  RampGlyphs() {
    m_glyph.width = 256;
    m_glyph.rows = 1;
    m_glyph.top = 1;
    m_glyph.advance = 256;
    for (int i = 0; i < 256; ++i) {
      m_glyph.coverage.push_back(static_cast<std::uint8_t>(i));
    }
  }
  const Glyph& GetGlyph(char32_t, int) override { return m_glyph; }
  int Ascent(int) override { return 1; }
  std::string Name() const override { return "ramp"; }

 private:
  Glyph m_glyph;
};

TEST(RasterSurface, TextCoverageMixesEachChannelRoundedToNearest) {
  RampGlyphs ramp;
  RasterSurface s(256, 256, &ramp);
  s.SetBackgroundMode(BackgroundMode::kTransparent);
  auto channels = [](int v) {
    return std::array<int, 3>{v, v ^ 0xA5, 255 - v};  // every value in every channel
  };
  auto colour = [](const std::array<int, 3>& c) {
    return static_cast<Color>((c[0] << 16) | (c[1] << 8) | c[2]);
  };
  for (int t = 0; t < 256; t += 3) {
    const auto text = channels(t);
    s.SetTextColor(colour(text));
    for (int y = 0; y < 256; ++y) {
      s.FillRect(Rect{0, y, 256, y + 1}, colour(channels(255 - y)));
      s.DrawTextInBox("A", Rect{0, y, 256, y + 1}, VerticalAlign::kTop);
    }
    for (int y = 0; y < 256; ++y) {
      const auto under = channels(255 - y);
      for (int a = 0; a < 256; ++a) {
        std::array<int, 3> want;
        for (int k = 0; k < 3; ++k) {
          want[k] = (under[k] * (255 - a) + text[k] * a + 127) / 255;
        }
        ASSERT_EQ(s.PixelAt(a, y), colour(want)) << "text " << t << " under " << y << " a " << a;
      }
    }
  }
}

TEST(RasterSurface, WideCharactersTakeAFullCell) {
  test::ScopedFixedGlyphs fixed;
  RasterSurface s(64, 30);
  s.SelectFont(Font{14});
  EXPECT_EQ(s.MeasureText("\x82\xB3"
                          "a"),
            14 + 7);                     // さ then a
  EXPECT_EQ(s.MeasureText("\x81"), 14);  // a lone lead byte counts once, as a box
}

TEST(RasterSurface, BitBltClipsToBothSurfaces) {
  RasterSurface src(4, 4);
  src.FillRect(Rect{0, 0, 4, 4}, Rgb(9, 9, 9));
  RasterSurface dst(6, 6);
  dst.BitBlt(4, -1, 4, 4, src, 0, 0);
  EXPECT_EQ(dst.PixelAt(4, 0), Rgb(9, 9, 9));
  EXPECT_EQ(dst.PixelAt(5, 2), Rgb(9, 9, 9));
  EXPECT_EQ(dst.PixelAt(5, 3), kWhite);
  EXPECT_EQ(dst.PixelAt(3, 0), kWhite);
  dst.BitBlt(0, 0, 100, 100, src, 3, 3);  // one source pixel left
  EXPECT_EQ(dst.PixelAt(0, 0), Rgb(9, 9, 9));
  EXPECT_EQ(dst.PixelAt(1, 0), kWhite);
}

TEST(GlyphSource, DecodesCp932ByCharacters) {
  EXPECT_EQ(DecodeCp932("a\x82\xB3"
                        "b"),
            std::u32string(U"aさb"));
  EXPECT_EQ(DecodeCp932("\x81\x5B"), std::u32string(U"ー"));
  EXPECT_EQ(DecodeCp932("\xA0"), std::u32string(U"\uFFFD"));  // not a CP932 byte
}

TEST(GlyphSource, SystemFontGivesJapaneseGlyphsAtCellHeights) {
  std::unique_ptr<GlyphSource> font = CreateFreeTypeGlyphSource("sans-serif:lang=ja");
  if (!font) {
    GTEST_SKIP() << "no Japanese font installed";
  }
  const Glyph& sa = font->GetGlyph(U'さ', 12);
  EXPECT_GT(sa.width, 4);
  EXPECT_LE(sa.rows, 12);
  EXPECT_GE(sa.advance, 10);
  EXPECT_LE(sa.advance, 13);
  // The cell, not the em, is the requested height: ascent + descent = 12.
  EXPECT_GE(font->Ascent(12), 9);
  EXPECT_LE(font->Ascent(12), 11);
  EXPECT_LT(font->GetGlyph(U'1', 14).advance, font->GetGlyph(U'１', 14).advance);
}

TEST(RasterSurface, AReshapedSurfaceIsWhiteAtItsNewSizeInTheStorageItHad) {
  RasterSurface surface(40, 30);
  surface.FillRect(Rect{0, 0, 40, 30}, kBlack);
  const std::uint32_t* storage = surface.Bits();
  surface.Reshape(20, 10);
  EXPECT_EQ(surface.Width(), 20);
  EXPECT_EQ(surface.Height(), 10);
  EXPECT_EQ(surface.Bits(), storage);  // smaller: nothing allocated
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(surface.PixelAt(x, y), kWhite) << x << "," << y;
    }
  }
  EXPECT_EQ(surface.PixelAt(25, 5), 0u);  // outside now
  surface.Reshape(80, 60);
  EXPECT_EQ(surface.PixelAt(79, 59), kWhite);
  surface.Reshape(-3, 5);
  EXPECT_EQ(surface.Width(), 0);
}

}  // namespace
}  // namespace kumoito
