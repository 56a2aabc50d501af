#include "render/score_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/report.h"
#include "render/image_file.h"
#include "song/song_data.h"
#include "tests/render/render_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::NewSong;
using test::ReadFile;
using test::TempDir;
using test::ViewFixture;

RgbImage Decode(const std::string& path) {
  auto image = DecodeBitmap(ReadFile(path));
  EXPECT_TRUE(image.has_value());
  return image.value_or(RgbImage{});
}

Color PixelOf(const RgbImage& image, int x, int y) {
  const unsigned char* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  return Rgb(p[0], p[1], p[2]);
}

TEST(ScoreExport, EightMeasuresWithTitleBand) {
  ViewFixture f;
  TempDir dir;
  auto song = NewSong(8);
  std::strcpy(song->m_info.title, "T");
  song->m_cells[8].pitch[0] = 60;   // measure 1
  song->m_cells[32].pitch[0] = 60;  // measure 4, the second row's first
  f.view.SetSong(song.get());
  f.view.SetFirstShownMeasure(0);
  f.view.RefreshScoreView();
  const std::string path = dir.Path("eight.bmp");
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), path));
  EXPECT_EQ(ReadFile(path).size(), 368694u);
  const RgbImage image = Decode(path);
  ASSERT_EQ(image.width, 512);
  ASSERT_EQ(image.height, 240);
  // Rows at y 40 and 140: their string lines at 60, 80, 100 and 160, ...
  for (int y : {60, 80, 100, 160, 180, 200}) {
    EXPECT_EQ(PixelOf(image, 5, y), kBlack) << y;
  }
  EXPECT_EQ(PixelOf(image, 0, 70), kBlack);    // bar line of measure 0
  EXPECT_EQ(PixelOf(image, 128, 70), kBlack);  // measure 1 starts at x 128
  EXPECT_EQ(PixelOf(image, 141, 57), kBlack);  // its note: box at x 140, ink from 141
  // Each row's cells show that row: measure 4's note, and none in measure 0.
  EXPECT_EQ(PixelOf(image, 13, 157), kBlack);
  EXPECT_EQ(PixelOf(image, 13, 57), kWhite);
  // The title: "T" top-aligned at (15, 15); its bar is the first ink row and
  // the glyph stays within its 12-pixel cell.
  int firstInk = -1, lastInk = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (PixelOf(image, x, y) != kWhite) {
        firstInk = firstInk < 0 ? y : firstInk;
        lastInk = y;
      }
    }
  }
  EXPECT_EQ(firstInk, 15);
  EXPECT_GT(lastInk, 20);
  EXPECT_LT(lastInk, 27);
  EXPECT_EQ(PixelOf(image, 16, 15), kBlack);
  for (int x = 0; x < 512; x += 7) {
    for (int y = 0; y < 240; y += 5) {
      ASSERT_NE(PixelOf(image, x, y), kPageBackground) << x << "," << y;
    }
  }
}

TEST(ScoreExport, MeasureNumbersAddABandAboveEachRowAndLeaveTheCellsAsTheyWere) {
  ViewFixture f;
  TempDir dir;
  auto song = NewSong(10);
  song->m_cells[8].pitch[0] = 60;
  song->m_cells[32].pitch[0] = 60;
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("plain.bmp")));
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("numbered.bmp"),
                               ImageFormat::kBmp, ScorePageOptions{true}));
  const RgbImage plain = Decode(dir.Path("plain.bmp"));
  const RgbImage numbered = Decode(dir.Path("numbered.bmp"));
  // The fixture's settings draw the title strip; the bands go below it.
  const int strip = kTitleStripHeight;
  const int band = kMeasureNumberBandHeight;
  ASSERT_EQ(plain.height, strip + 300);
  ASSERT_EQ(numbered.width, plain.width);
  ASSERT_EQ(numbered.height, strip + 300 + 3 * band);
  // The strip and every row of cells are the same pictures, the rows lower
  // by their bands.
  int differing = 0;
  for (int y = 0; y < plain.height; ++y) {
    const int shifted = y < strip ? y : y + ((y - strip) / 100 + 1) * band;
    for (int x = 0; x < plain.width; ++x) {
      differing += PixelOf(plain, x, y) != PixelOf(numbered, x, shifted);
    }
  }
  EXPECT_EQ(differing, 0);
  // Columns with ink in the band of row r over measure c of that row.
  const auto inkColumns = [&](int row, int c) {
    int columns = 0;
    const int top = strip + row * (100 + band);
    for (int x = c * 128; x < (c + 1) * 128; ++x) {
      bool ink = false;
      for (int y = top; y < top + band; ++y) {
        ink = ink || PixelOf(numbered, x, y) != kPageBackground;
      }
      columns += ink;
    }
    return columns;
  };
  for (int c = 0; c < 4; ++c) {
    EXPECT_GT(inkColumns(0, c), 0) << c;
    EXPECT_GT(inkColumns(1, c), 0) << c;
  }
  // The last row has measures 9 and 10 only; "10" is wider than "1": the
  // numbers are the measures', not the cells'.
  EXPECT_EQ(inkColumns(2, 2), 0);
  EXPECT_EQ(inkColumns(2, 3), 0);
  EXPECT_GT(inkColumns(2, 1), inkColumns(0, 0));
}

TEST(ScoreExport, FiveMeasuresWithoutTitleLeaveGreyColumns) {
  ViewFixture f;
  TempDir dir;
  f.settings.titleBand = 0;
  auto song = NewSong(5);
  f.view.SetSong(song.get());
  const std::string path = dir.Path("five.bmp");
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), path));
  const RgbImage image = Decode(path);
  ASSERT_EQ(image.width, 512);
  ASSERT_EQ(image.height, 200);
  EXPECT_EQ(ReadFile(path).size(), 54u + 1536 * 200);
  EXPECT_EQ(PixelOf(image, 0, 0), kWhite);    // measure 0 starts at the top
  EXPECT_EQ(PixelOf(image, 5, 120), kBlack);  // measure 4: row 1, string line
  for (int x : {128, 300, 511}) {
    for (int y : {100, 150, 199}) {
      EXPECT_EQ(PixelOf(image, x, y), kPageBackground) << x << "," << y;
    }
  }
}

TEST(ScoreExport, APngPageIsTheFileOfTheBitmapsPixels) {
  // Kept as palette indices, the page gives the file the 32-bit page gives:
  // several rows, a part row with grey columns, the title over the top.
  ViewFixture f;
  TempDir dir;
  auto song = NewSong(10);
  std::strcpy(song->m_info.title, "T");
  for (int c = 0; c < 80; c += 3) {
    song->m_cells[c].pitch[0] = 48 + c % 25;
  }
  f.view.SetSong(song.get());
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("p.bmp")));
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("p.png"), ImageFormat::kPng));
  const auto fromBitmap = EncodePng(Decode(dir.Path("p.bmp")));
  ASSERT_TRUE(fromBitmap.has_value());
  EXPECT_EQ(ReadFile(dir.Path("p.png")), *fromBitmap);
}

TEST(ScoreExport, APalettePageGivesUpAtThe257thColour) {
  RasterSurface colours(300, 1);
  for (int x = 0; x < 300; ++x) {
    colours.SetPixel(x, 0, static_cast<Color>(x * 0x010203));
  }
  PalettePage page(300, 2);
  page.Add(colours, 0, 1, 255, 1);  // with the ground: 256 colours
  page.Flush();
  EXPECT_FALSE(page.Overflowed());
  page.Add(colours, 0, 0, 300, 1);
  page.Flush();
  EXPECT_TRUE(page.Overflowed());
}

TEST(ScoreExport, TheViewComesBackToWhereItWas) {
  ViewFixture f;
  TempDir dir;
  auto song = NewSong(48);
  f.view.SetSong(song.get());
  f.view.SetFirstShownMeasure(8);
  f.view.RefreshScoreView();
  std::vector<int> shown;
  f.controls[0]->m_onScreenChanged = [&] { shown.push_back(f.view.FirstShownMeasure()); };
  const RasterSurface before = *f.controls[0]->Screen();
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("x.png")));
  // The rows drawn for the page are not presented; the view is, once, as it
  // was.
  EXPECT_EQ(shown, std::vector<int>{8});
  ASSERT_TRUE(f.controls[0]->Screen());
  EXPECT_TRUE(std::equal(before.Bits(), before.Bits() + before.Width() * before.Height(),
                         f.controls[0]->Screen()->Bits()));
  EXPECT_EQ(f.view.FirstShownMeasure(), 8);
  // Whatever the extension, the export writes BMP data.
  EXPECT_EQ(ReadFile(dir.Path("x.png"))[0], 'B');
}

TEST(ScoreExport, AScreenAtTwiceThePixelsExportsTheSameFile) {
  ViewFixture f;
  TempDir dir;
  auto song = NewSong(6);
  song->m_cells[0].pitch[0] = 60;
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("one.bmp")));
  f.view.SetScale(2.0);
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("two.bmp")));
  EXPECT_EQ(ReadFile(dir.Path("one.bmp")), ReadFile(dir.Path("two.bmp")));
  // The screen keeps its scale after the export.
  EXPECT_EQ(f.view.Scale(), 2.0);
  EXPECT_EQ(f.controls[0]->Screen()->Width(), 256);
}

TEST(ScoreExport, ATitleStripAtTwiceThePixelsDrawsItsTextThere) {
  test::ScopedFixedGlyphs glyphs;
  COffScreenControl control;
  TitleLayer strip;
  strip.CreateTitleLayer(control, Rect{0, 0, 512, kTitleStripHeight}, 2.0);
  strip.AddTitleText("T");
  strip.RenderTitleLayer();
  const RasterSurface& s = strip.GetSurface()->picture;
  ASSERT_EQ(s.Width(), 1024);
  ASSERT_EQ(s.Height(), 80);
  // "T" top-aligned at (30, 30): a 24-pixel cell, its ink inside it.
  int left = -1, top = -1, bottom = -1;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      if (s.PixelAt(x, y) == kBlack) {
        left = left < 0 ? x : std::min(left, x);
        top = top < 0 ? y : top;
        bottom = y;
      }
    }
  }
  EXPECT_GT(left, 30);
  EXPECT_GE(top, 30);
  EXPECT_LT(bottom, 54);
  EXPECT_GT(bottom - top, 12);  // taller than the 1x glyph could be
  strip.ReleaseTitleLayer();
}

TEST(ScoreExport, EmptySongGivesTheStripOrNothing) {
  ViewFixture f;
  TempDir dir;
  std::int32_t beats = 4, key = 0, measures = 0;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  ASSERT_EQ(song->m_measureCount, 0);
  f.view.SetSong(song.get());
  ASSERT_TRUE(ExportScoreImage(f.view, f.titleControl(), dir.Path("strip.bmp")));
  EXPECT_EQ(Decode(dir.Path("strip.bmp")).height, 40);

  f.settings.titleBand = 0;
  ScopedReportCapture reports;
  EXPECT_FALSE(ExportScoreImage(f.view, f.titleControl(), dir.Path("none.bmp")));
  EXPECT_EQ(reports.Text(), "\nGNLL00000000 画像保存でエラーがおきました。");
  EXPECT_TRUE(ReadFile(dir.Path("none.bmp")).empty());
}

TEST(ScoreExport, UnwritablePathIsReportedNotSilent) {
  ViewFixture f;
  auto song = NewSong(1);
  f.view.SetSong(song.get());
  ScopedReportCapture reports;
  EXPECT_FALSE(ExportScoreImage(f.view, f.titleControl(), "/nonexistent-folder/x.bmp"));
  EXPECT_NE(reports.Text().find("GENE01000007"), std::string::npos);
}

}  // namespace
}  // namespace kumoito
