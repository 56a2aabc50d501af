#include "render/score_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/sjis.h"
#include "song/song_data.h"
#include "tests/render/render_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::NewSong;
using test::ViewFixture;

void Put(CSongData& song, int cell, std::int32_t s0, std::int32_t s1 = SLOT_HOLD,
         std::int32_t s2 = SLOT_NONE) {
  song.m_cells[cell].pitch[0] = s0;
  song.m_cells[cell].pitch[1] = s1;
  song.m_cells[cell].pitch[2] = s2;
}

// Runs of black pixels along a row of a cell, as (first x, length).
std::vector<std::pair<int, int>> BlackRuns(const RasterSurface& s, int y, int from, int to) {
  std::vector<std::pair<int, int>> runs;
  for (int x = from; x < to; ++x) {
    if (s.PixelAt(x, y) == kBlack) {
      if (!runs.empty() && runs.back().first + runs.back().second == x) {
        ++runs.back().second;
      } else {
        runs.push_back({x, 1});
      }
    }
  }
  return runs;
}

bool SamePixels(const RasterSurface& a, const RasterSurface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Bits(), a.Bits() + a.Width() * a.Height(), b.Bits());
}

const RasterSurface& Cell(const ViewFixture& f, int i) {
  return f.view.CellSurface(i)->picture;
}

TEST(ScoreView, KandokoroLabelsAndHalfWidthConversion) {
  EXPECT_EQ(kKandokoroLabels[0], *Utf8ToCp932("●"));
  EXPECT_EQ(kKandokoroLabels[5], *Utf8ToCp932("＃"));
  EXPECT_EQ(kKandokoroLabels[25], *Utf8ToCp932("２０"));
  std::string t = kKandokoroLabels[13];
  ConvertToHalfWidth(t);
  EXPECT_EQ(t, "10");
  t = kKandokoroLabels[24];
  ConvertToHalfWidth(t);
  EXPECT_EQ(t, "1b");
  t = kKandokoroLabels[17];
  ConvertToHalfWidth(t);
  EXPECT_EQ(t, "1" + *Utf8ToCp932("＃"));
  // A trail byte is never taken for a lead byte: 0x89 0x82 is one kanji and
  // 'O' follows; read from 0x82 the bytes would make "０".
  t = "\x89\x82\x4F";
  ConvertToHalfWidth(t);
  EXPECT_EQ(t, "\x89\x82\x4F");
  t = *Utf8ToCp932("Ａｚ９あ");
  ConvertToHalfWidth(t);
  EXPECT_EQ(t, "Az9" + *Utf8ToCp932("あ"));
}

TEST(ScoreView, PlacesUnderHonchoshiOnC) {
  ViewFixture f(0, 48);
  std::int32_t string = -5, kandokoro = -5;
  struct Case {
    int pitch, string, kandokoro;
  };
  for (Case c : {Case{48, 0, 1}, Case{52, 0, 5}, Case{53, 1, 1}, Case{72, 2, 13}, Case{86, 2, 15},
                 Case{47, 1, 7}}) {
    LookUpPosition(f.view.Places(), c.pitch, string, kandokoro);
    EXPECT_EQ(string, c.string) << c.pitch;
    EXPECT_EQ(kandokoro, c.kandokoro) << c.pitch;
  }
  LookUpPosition(f.view.Places(), SLOT_REST, string, kandokoro);
  EXPECT_EQ(string, 1);
  EXPECT_EQ(kandokoro, 0);
  kandokoro = 7;
  LookUpPosition(f.view.Places(), SLOT_HOLD, string, kandokoro);
  EXPECT_EQ(string, 0);
  EXPECT_EQ(kandokoro, 7);
}

TEST(ScoreView, EmptyCellsShowStaffAndBarLinesOnly) {
  ViewFixture f;
  f.view.RefreshScoreView();  // no song
  const RasterSurface& s = Cell(f, 5);
  for (int y : {20, 40, 60}) {
    EXPECT_EQ(BlackRuns(s, y, 0, 128), (std::vector<std::pair<int, int>>{{0, 128}})) << y;
  }
  EXPECT_EQ(BlackRuns(s, 19, 0, 128), (std::vector<std::pair<int, int>>{}));
  EXPECT_EQ(BlackRuns(s, 30, 0, 128), (std::vector<std::pair<int, int>>{{0, 1}, {127, 1}}));
  EXPECT_EQ(s.PixelAt(0, 61), kWhite);  // the bar line ends at y = 60
  // The screen shows the picture.
  ASSERT_TRUE(f.controls[5]->Screen().has_value());
  EXPECT_EQ(f.controls[5]->Screen()->PixelAt(0, 30), kBlack);
}

TEST(ScoreView, NoteValuesGiveBoxesFontsAndUnderlines) {
  ViewFixture f;
  auto song = NewSong(2);
  Put(*song, 0, 60, SLOT_HOLD);  // quarter at eighth 0: held by cell 1
  Put(*song, 1, SLOT_HOLD, SLOT_HOLD);
  Put(*song, 2, 60, SLOT_HOLD);         // eighth at eighth 2
  Put(*song, 3, 60, 60);                // two sixteenths at eighth 3
  Put(*song, 4, SLOT_REST, SLOT_HOLD);  // an eighth rest at eighth 4
  Put(*song, 5, 48, SLOT_HOLD);         // half note at eighth 5: 7 holds
  for (int c = 6; c < 8; ++c) {
    Put(*song, c, SLOT_HOLD, SLOT_HOLD);
  }
  Put(*song, 8, SLOT_HOLD, SLOT_HOLD);  // the next measure starts with the held note
  Put(*song, 9, SLOT_REST, SLOT_HOLD);
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();

  ASSERT_EQ(f.view.EntryCount(0), 6);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 0).length, 2.0);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 1).length, 1.0);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 2).length, 0.5);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 4).length, 1.0);
  EXPECT_EQ(f.view.Entry(0, 4).string, 1);
  EXPECT_EQ(f.view.Entry(0, 4).kandokoro, 0);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 5).eighth, 5.0);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 5).length, 4.0);  // crosses the bar line
  // The held slot in the next measure adds nothing; its rest does.
  ASSERT_EQ(f.view.EntryCount(1), 1);
  EXPECT_DOUBLE_EQ(f.view.Entry(1, 0).eighth, 1.0);

  const RasterSurface& s = Cell(f, 0);
  // Pitch 60 is the open third string: "○" (2 bytes) at top 10, bottom 26.
  // Quarter at x 12 in the 14-pixel font, no underline.
  EXPECT_EQ(BlackRuns(s, 26, 12, 36), (std::vector<std::pair<int, int>>{}));
  EXPECT_EQ(s.PixelAt(13, 20), kBlack);  // box ink (14-pixel cell rows 11..24)
  EXPECT_EQ(s.PixelAt(13, 11), kBlack);
  EXPECT_EQ(s.PixelAt(13, 10), kWhite);
  // Eighth at x 36: one underline from x 38 to 36 + 16 - 2 (end unpainted).
  EXPECT_EQ(BlackRuns(s, 26, 36, 50), (std::vector<std::pair<int, int>>{{38, 12}}));
  EXPECT_EQ(BlackRuns(s, 28, 36, 50), (std::vector<std::pair<int, int>>{}));
  EXPECT_EQ(s.PixelAt(37, 11), kWhite);  // 12-pixel cell: rows 12..23
  EXPECT_EQ(s.PixelAt(37, 12), kBlack);
  // Sixteenths at x 48, both in the same box place: two underlines.
  EXPECT_EQ(BlackRuns(s, 28, 48, 62), (std::vector<std::pair<int, int>>{{50, 12}}));
  // The eighth rest: "●" on the middle line at x 60 with one underline.
  EXPECT_EQ(BlackRuns(s, 46, 60, 78), (std::vector<std::pair<int, int>>{{62, 12}}));
  // The half note on the first string at x 72: "○ー", 16 pixels wider.
  EXPECT_EQ(s.PixelAt(88, 60), kBlack);   // ink of "ー", the second 14-pixel cell
  EXPECT_EQ(s.PixelAt(99, 60), kWhite);   // its cell blanks the string line
  EXPECT_EQ(s.PixelAt(100, 60), kBlack);  // after the text the line goes on
  EXPECT_EQ(BlackRuns(s, 66, 72, 128), (std::vector<std::pair<int, int>>{}));  // no underline
}

TEST(ScoreView, LyricsOnlyForNotesAndOnlyWhenSwitchedOn) {
  ViewFixture f;
  auto song = NewSong(1);
  Put(*song, 0, 60, SLOT_HOLD);
  std::strcpy(song->m_cells[0].lyric[0], "\x82\xB3");
  Put(*song, 1, SLOT_REST, SLOT_HOLD);
  std::strcpy(song->m_cells[1].lyric[0], "xx");  // free space of a rest, never drawn
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  EXPECT_STREQ(f.view.Entry(0, 0).lyric, "\x82\xB3");
  EXPECT_STREQ(f.view.Entry(0, 1).lyric, "");
  // Lyric box (12, 70)-(28, 86): the 12-pixel glyph ink from y 72.
  EXPECT_EQ(Cell(f, 0).PixelAt(13, 75), kBlack);
  EXPECT_TRUE(BlackRuns(Cell(f, 0), 75, 24, 128).empty());

  f.settings.lyricsShown = 0;
  f.view.RefreshScoreView();
  EXPECT_STREQ(f.view.Entry(0, 0).lyric, "");
  for (int y = 67; y < 100; ++y) {
    ASSERT_TRUE(BlackRuns(Cell(f, 0), y, 0, 128).empty()) << y;
  }
}

TEST(ScoreView, AFullLyricIsDrawnWhole) {
  ViewFixture f;
  auto song = NewSong(1);
  Put(*song, 0, 60, 62, 64);
  // Eight bytes and no terminator, each followed by the next slot's lyric.
  const std::string sakura = "\x82\xB3\x82\xAD\x82\xE7";  // さくら
  const std::string lyrics = sakura + "ab" + "ABCDEFGH" + "12345678";
  std::memcpy(song->m_cells[0].lyric, lyrics.data(), sizeof song->m_cells[0].lyric);
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  ASSERT_EQ(f.view.EntryCount(0), 3);
  EXPECT_EQ(std::string(f.view.Entry(0, 0).lyric), sakura + "ab");
  EXPECT_STREQ(f.view.Entry(0, 1).lyric, "ABCDEFGH");
  EXPECT_STREQ(f.view.Entry(0, 2).lyric, "12345678");
}

TEST(ScoreView, ShortAndLongMeasuresAndTheFirstShownMeasure) {
  ViewFixture f;
  auto song = NewSong(20, 8);
  for (int c = 0; c < 16; ++c) {
    Put(*song, c, 53 + c % 2, SLOT_HOLD);  // 16 eighths on the second string
  }
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  ASSERT_EQ(f.view.EntryCount(0), 16);
  // The box at eighth 9 (x 120) is cut at the cell's edge; from eighth 10 on
  // (x 132) nothing is visible, and the right bar line stays.
  EXPECT_EQ(Cell(f, 0).PixelAt(121, 35), kBlack);
  EXPECT_EQ(Cell(f, 0).PixelAt(127, 30), kBlack);

  f.view.SetFirstShownMeasure(16);
  f.view.RefreshScoreView();
  EXPECT_EQ(f.view.EntryCount(0), 1);  // measure 16: its rest
  EXPECT_EQ(f.view.EntryCount(3), 1);  // measure 19, the last
  EXPECT_EQ(f.view.EntryCount(4), 0);  // beyond the song
}

// Eight measures of eighths climbing two octaves, over and over: every
// measure's cell looks different from its neighbours'.
std::unique_ptr<CSongData> EightBusyMeasures() {
  auto song = NewSong(8, 4);
  for (int c = 0; c < 64; ++c) {
    Put(*song, c, 48 + c % 24);
  }
  return song;
}

TEST(ScoreView, OffScreenACellIsDrawnWhenAskedForAndNeverPresented) {
  auto song = EightBusyMeasures();
  ViewFixture shown;
  shown.view.SetSong(song.get());
  shown.view.SetFirstShownMeasure(4);
  shown.view.RefreshScoreView();

  ViewFixture f;
  f.view.SetShownOnScreen(false);
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  f.view.SetFirstShownMeasure(4);
  f.view.RefreshScoreView(2);
  // Cells 0 and 1 show measures 4 and 5 as the shown view does; cell 2 still
  // measure 2, though it was never drawn before it was asked for.
  EXPECT_TRUE(SamePixels(Cell(f, 0), Cell(shown, 0)));
  EXPECT_TRUE(SamePixels(Cell(f, 1), Cell(shown, 1)));
  EXPECT_FALSE(SamePixels(Cell(f, 2), Cell(shown, 2)));
  for (int i = 0; i < kScoreCellCount; ++i) {
    EXPECT_FALSE(f.controls[i]->Screen().has_value()) << i;
  }
  // Back on screen, the cells are drawn and presented as the others.
  f.view.RefreshScoreView();
  f.view.SetShownOnScreen(true);
  f.view.PresentAllCells();
  ASSERT_TRUE(f.controls[2]->Screen().has_value());
  EXPECT_TRUE(SamePixels(*f.controls[2]->Screen(), Cell(shown, 2)));
}

TEST(ScoreView, EveryRefreshReachesTheScreenAndThePictureStaysCurrent) {
  auto song = EightBusyMeasures();
  ViewFixture f;
  f.view.SetSong(song.get());
  // The screen and the cell's picture trade pixels at each showing.
  for (int first : {0, 4, 0, 4, 1}) {
    f.view.SetFirstShownMeasure(first);
    f.view.RefreshScoreView();
    ViewFixture reference;
    reference.view.SetShownOnScreen(false);
    reference.view.SetSong(song.get());
    reference.view.SetFirstShownMeasure(first);
    reference.view.RefreshScoreView();
    ASSERT_TRUE(f.controls[1]->Screen().has_value());
    EXPECT_TRUE(SamePixels(*f.controls[1]->Screen(), Cell(reference, 1))) << first;
    EXPECT_TRUE(SamePixels(Cell(f, 1), Cell(reference, 1))) << first;
  }
}

TEST(ScoreView, ACellKeepsAtMost32Entries) {
  ViewFixture f;
  auto song = NewSong(1, 8);
  for (int c = 0; c < 16; ++c) {
    Put(*song, c, 60, 62, 64);  // 48 drawable slots in one measure
  }
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  EXPECT_EQ(f.view.EntryCount(0), kMaxCellEntries);
  EXPECT_DOUBLE_EQ(f.view.Entry(0, 31).eighth, 10.0);  // cell 10, slot 1
}

TEST(ScoreView, ClicksReportTheSixteenthColumn) {
  ViewFixture f;
  f.controls[9]->OnLeftButtonDown(7, 50);
  f.controls[9]->OnLeftButtonUp(7, 50);
  f.controls[10]->OnLeftButtonDown(8, 50);
  f.controls[47]->OnLeftButtonDown(127, 0);
  EXPECT_EQ(f.clicks, (std::vector<std::pair<int, int>>{{9, 0}, {10, 1}, {47, 15}}));
}

TEST(ScoreView, AtScaleTwoPicturesDoubleAndClicksKeepTheirColumns) {
  ViewFixture f;
  f.view.SetScale(2.0);
  EXPECT_EQ(Cell(f, 3).Width(), 256);
  EXPECT_EQ(Cell(f, 3).Height(), 200);
  ASSERT_TRUE(f.controls[3]->Screen().has_value());
  EXPECT_EQ(f.controls[3]->Screen()->Width(), 256);
  // The middle string at twice its row, two pixels wide.
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 79), kWhite);
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 80), kBlack);
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 81), kBlack);
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 82), kWhite);
  f.controls[10]->OnLeftButtonDown(8, 50);
  f.controls[47]->OnLeftButtonDown(127, 0);
  EXPECT_EQ(f.clicks, (std::vector<std::pair<int, int>>{{10, 1}, {47, 15}}));
  f.view.SetScale(1.0);
  EXPECT_EQ(Cell(f, 3).Width(), 128);
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 40), kBlack);
  EXPECT_EQ(Cell(f, 3).PixelAt(100, 41), kWhite);
}

TEST(ScoreView, TuningChangesMoveTheNotes) {
  ViewFixture f(2, 57);  // 三下り on A: 57, 62, 67
  EXPECT_EQ(f.view.GetOpenStrings(), (OpenStrings{57, 62, 67}));
  auto song = NewSong(1);
  Put(*song, 0, 67);
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  EXPECT_EQ(f.view.Entry(0, 0).string, 2);
  EXPECT_EQ(f.view.Entry(0, 0).kandokoro, 1);
  f.view.SetOpenStrings(OpenStringPitches(0, 0));
  f.view.RefreshScoreView();
  EXPECT_EQ(f.view.Entry(0, 0).string, 2);
  EXPECT_EQ(f.view.Entry(0, 0).kandokoro, 8);
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

// Ink anywhere in a rectangle of a cell.
bool InkIn(const RasterSurface& s, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (s.PixelAt(x, y) == kBlack) {
        return true;
      }
    }
  }
  return false;
}

// Marks change only the cells that carry them, in the places the styles
// give: a technique under the bars or over the number, a finger over it, the
// player's string and the notes struck together each on its own string.
TEST(ScoreView, MarksAreDrawnWhereTheirStyleAndStringsPutThem) {
  ViewFixture f(0, 48);  // 本調子 on C: open strings 48, 53, 60
  auto song = NewSong(3);
  for (int m = 0; m < 3; ++m) {
    Put(*song, 8 * m, 55, SLOT_HOLD);  // an eighth: placement puts 55 on string 1 (二の糸)
  }
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  const RasterSurface before = Cell(f, 0);
  ASSERT_EQ(f.view.Entry(0, 0).string, 1);

  song->m_marks.At(0, 0).technique = Technique::kSukui;
  song->m_marks.At(0, 0).string = 1;  // the player takes it on 一の糸
  song->m_marks.At(8, 0).finger = 2;
  song->m_marks.At(8, 0).together = {64, kNoPitch};  // a two-string note
  f.view.RefreshScoreView();
  const CellEntry& played = f.view.Entry(0, 0);
  EXPECT_EQ(played.string, 0);
  EXPECT_EQ(played.kandokoro, 55 - 48 + 1);
  const CellEntry& twoStrings = f.view.Entry(1, 0);
  EXPECT_EQ(twoStrings.string, 1);
  EXPECT_EQ(twoStrings.together[0].string, 2);
  EXPECT_EQ(twoStrings.together[0].position, 64 - 60 + 1);
  EXPECT_EQ(twoStrings.together[1].string, -1);
  EXPECT_TRUE(SamePixels(Cell(f, 2), before)) << "an unmarked measure draws as before";

  // Below (the default): ス under the bars of the first string's number
  // (box 50..66, one bar at 66); nothing over the number.
  const RasterSurface& below = Cell(f, 0);
  EXPECT_TRUE(InkIn(below, 12, 69, 22, 78));
  EXPECT_FALSE(InkIn(below, 12, 41, 22, 50));
  // The finger over the number on 二の糸 (box 30..46), the second number on
  // 三の糸 in the same column.
  const RasterSurface& fingered = Cell(f, 1);
  EXPECT_TRUE(InkIn(fingered, 12, 1, 26, 10));
  EXPECT_TRUE(InkIn(fingered, 12, 11, 26, 25));

  song->m_marks.style = TechniqueStyle::kAbove;
  f.view.RefreshScoreView();
  const RasterSurface& above = Cell(f, 0);
  EXPECT_FALSE(InkIn(above, 12, 69, 22, 78));
  EXPECT_TRUE(InkIn(above, 12, 41, 22, 50));
}

TEST(ScoreView, RepeatsEndingsAndMeasureRepeatsAreDrawnOnTheirCells) {
  ViewFixture f;
  auto song = NewSong(4);
  for (int m = 0; m < 4; ++m) {
    Put(*song, 8 * m, 60, SLOT_HOLD);
  }
  song->m_marks.measures[0].flags = kRepeatStart;
  song->m_marks.measures[1] = MeasureMarks{kRepeatEnd, 3, 1, 0};
  song->m_marks.measures[2].ending = 1;  // the bracket goes on, without its number
  song->m_marks.measures[3].flags = kMeasureRepeat;
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  const RasterSurface& start = Cell(f, 0);
  EXPECT_EQ(start.PixelAt(2, 40), kBlack);  // the second bar line
  EXPECT_TRUE(InkIn(start, 5, 28, 8, 31));  // the colon's dots
  EXPECT_TRUE(InkIn(start, 5, 48, 8, 51));
  const RasterSurface& end = Cell(f, 1);
  EXPECT_TRUE(InkIn(end, 120, 28, 123, 31));
  EXPECT_TRUE(InkIn(end, 106, 9, 124, 19)) << "played three times: the count";
  EXPECT_TRUE(InkIn(end, 7, 3, 21, 10)) << "the ending's number";
  EXPECT_EQ(end.PixelAt(60, 2), kBlack);
  const RasterSurface& more = Cell(f, 2);
  EXPECT_EQ(more.PixelAt(60, 2), kBlack);
  EXPECT_FALSE(InkIn(more, 7, 3, 21, 10));
  EXPECT_EQ(f.view.EntryCount(3), 0) << "the sign stands for the measure's notes";
  EXPECT_TRUE(InkIn(Cell(f, 3), 60, 36, 68, 44));
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // inclusive; empty: right < left
};

// Where two pictures of one size differ: the ink marks add.
Box DifferenceBox(const RasterSurface& a, const RasterSurface& b) {
  Box box;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) {
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
               std::max(box.bottom, y)};
      }
    }
  }
  return box;
}

// Pixels of the scale-2 picture that its 1x picture, each pixel grown to a
// 2 x 2 block, does not have.
int PixelsUnlikeEnlarged(const RasterSurface& twice, const RasterSurface& once) {
  int unlike = 0;
  for (int y = 0; y < twice.Height(); ++y) {
    for (int x = 0; x < twice.Width(); ++x) {
      unlike += twice.PixelAt(x, y) != once.PixelAt(x / 2, y / 2) ? 1 : 0;
    }
  }
  return unlike;
}

// At scale 2 a marked cell is drawn anew at twice the pixels, not enlarged:
// its marks sit where twice the 1x layout puts them, and its glyphs keep
// one-pixel detail an enlargement would double.
TEST(ScoreView, AtScaleTwoMarksSitAtTwiceTheirPlacesAndStaySharp) {
  ViewFixture f(0, 48);
  auto song = NewSong(1);
  Put(*song, 0, 55, SLOT_HOLD);
  Put(*song, 1, 57, SLOT_HOLD);
  Put(*song, 2, 60, SLOT_HOLD);
  f.view.SetSong(song.get());
  const auto pictures = [&](double scale) {
    f.view.SetScale(scale);
    song->m_marks.Clear();
    f.view.RefreshScoreView();
    const RasterSurface plain = Cell(f, 0);
    song->m_marks.At(0, 0).technique = Technique::kSukui;
    song->m_marks.At(0, 0).finger = 1;
    song->m_marks.At(2, 0).technique = Technique::kSuriUp;
    song->m_marks.At(4, 0).together = {64, kNoPitch};
    f.view.RefreshScoreView();
    return std::pair<RasterSurface, RasterSurface>{plain, Cell(f, 0)};
  };
  for (const TechniqueStyle style : {TechniqueStyle::kBelow, TechniqueStyle::kAbove}) {
    SCOPED_TRACE(static_cast<int>(style));
    f.view.SetTechniqueStyle(style);
    const auto [plain1, marked1] = pictures(1.0);
    const auto [plain2, marked2] = pictures(2.0);
    ASSERT_EQ(marked2.Width(), 2 * marked1.Width());
    const Box once = DifferenceBox(plain1, marked1);
    const Box twice = DifferenceBox(plain2, marked2);
    ASSERT_LE(once.left, once.right) << "the marks draw something";
    EXPECT_NEAR(twice.left, 2 * once.left, 2);
    EXPECT_NEAR(twice.top, 2 * once.top, 2);
    EXPECT_NEAR(twice.right, 2 * once.right + 1, 2);
    EXPECT_NEAR(twice.bottom, 2 * once.bottom + 1, 2);
    // Mostly the enlarged picture, but not all of it: the edges of each box
    // glyph are one scaled pixel, not two.
    const int unlike = PixelsUnlikeEnlarged(marked2, marked1);
    EXPECT_GT(unlike, 0);
    const int area = (twice.right - twice.left + 1) * (twice.bottom - twice.top + 1);
    EXPECT_LT(unlike, area / 4);
  }
  f.view.SetScale(1.0);
}

// The song's own style wins over the setting; a forced one over both.
TEST(ScoreView, TheSongsStyleWinsOverTheSettingAndAForcedStyleOverBoth) {
  ViewFixture f;
  auto song = NewSong(1);
  Put(*song, 0, 60, SLOT_HOLD);
  song->m_marks.At(0, 0).technique = Technique::kHajiki;
  EXPECT_EQ(f.view.TechniqueStyleInUse(), TechniqueStyle::kBelow);
  f.view.SetSong(song.get());
  f.view.SetTechniqueStyle(TechniqueStyle::kAbove);
  f.view.RefreshScoreView();
  EXPECT_TRUE(f.view.Entry(0, 0).marksAbove);
  song->m_marks.style = TechniqueStyle::kBelow;
  f.view.RefreshScoreView();
  EXPECT_FALSE(f.view.Entry(0, 0).marksAbove);
  f.view.SetTechniqueStyle(TechniqueStyle::kBelow, TechniqueStyle::kAbove);
  f.view.RefreshScoreView();
  EXPECT_TRUE(f.view.Entry(0, 0).marksAbove);
  f.view.SetTechniqueStyle(TechniqueStyle::kUnset);
  song->m_marks.style = TechniqueStyle::kUnset;
  EXPECT_EQ(f.view.TechniqueStyleInUse(), TechniqueStyle::kBelow);
}

bool ColourIn(const RasterSurface& s, Color c, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (s.PixelAt(x, y) == c) {
        return true;
      }
    }
  }
  return false;
}

// The syllable row: off by default and then not a pixel of it; on, each
// struck note's syllable in its own row under the lyrics', held notes and
// rests silent, a syllable without room sung short, the sounding one on the
// cursor colour.
TEST(ScoreView, SyllableRowUnderTheLyrics) {
  ViewFixture f(0, 48);  // open strings 48, 53, 60
  auto song = NewSong(2);
  Put(*song, 0, 48, SLOT_HOLD);  // a quarter on 一の糸 open
  Put(*song, 1, SLOT_HOLD, SLOT_HOLD);
  Put(*song, 2, SLOT_REST, SLOT_HOLD);
  Put(*song, 4, 62, SLOT_HOLD);  // eighths on 三の糸: チン チン
  Put(*song, 5, 62, SLOT_HOLD);
  std::strcpy(song->m_cells[0].lyric[0], "\x82\xB3");
  f.view.SetSong(song.get());
  f.view.RefreshScoreView();
  const RasterSurface off = Cell(f, 0);
  EXPECT_FALSE(f.view.SyllablesShown());
  EXPECT_STREQ(f.view.Entry(0, 0).syllable, "");
  EXPECT_FALSE(InkIn(off, 0, 87, 128, 100));

  f.view.SetSyllablesShown(true);
  f.view.RefreshScoreView();
  ASSERT_EQ(f.view.EntryCount(0), 4);
  EXPECT_EQ(Cp932ToUtf8(f.view.Entry(0, 0).syllable), "ドン");
  EXPECT_STREQ(f.view.Entry(0, 1).syllable, "");  // the rest
  EXPECT_EQ(Cp932ToUtf8(f.view.Entry(0, 2).syllable), "チン");
  const RasterSurface& on = Cell(f, 0);
  // Above the row nothing moved: the lyric and the numbers stay where they were.
  for (int y = 0; y < 87; ++y) {
    ASSERT_EQ(BlackRuns(on, y, 0, 128), BlackRuns(off, y, 0, 128)) << y;
  }
  // ドン whole from x 12 (a quarter's room of 25 pixels), both characters.
  EXPECT_TRUE(InkIn(on, 13, 88, 21, 97));
  EXPECT_TRUE(InkIn(on, 23, 88, 31, 97));
  // The eighths at x 60 and 72 (room 12): the first チ alone, the last,
  // with the rest of the cell before it, チン whole.
  EXPECT_TRUE(InkIn(on, 61, 88, 69, 97));
  EXPECT_FALSE(InkIn(on, 70, 87, 73, 100));
  EXPECT_TRUE(InkIn(on, 73, 88, 81, 97));
  EXPECT_TRUE(InkIn(on, 83, 88, 91, 97));
  EXPECT_FALSE(InkIn(on, 93, 87, 128, 100));
  EXPECT_FALSE(ColourIn(on, kCursorColor, 0, 87, 128, 100));

  f.view.SetCursorSlot(4 * kSlotsPerCell);  // the first チン sounds
  const RasterSurface& playing = Cell(f, 0);
  EXPECT_TRUE(ColourIn(playing, kCursorColor, 60, 87, 70, 99));
  EXPECT_FALSE(ColourIn(playing, kCursorColor, 12, 87, 40, 99));
  EXPECT_FALSE(ColourIn(playing, kCursorColor, 72, 87, 128, 99));
}

TEST(ScoreView, AUsersSyllableIsDrawnOnARestAndAtScaleTwo) {
  ViewFixture f(0, 48);
  auto song = NewSong(1);
  Put(*song, 0, SLOT_REST, SLOT_HOLD);
  Put(*song, 1, SLOT_HOLD, SLOT_HOLD);
  ASSERT_TRUE(song->m_marks.SyllableAt(0, 0).Assign("\x83\x43\x83\x84"));  // イヤ
  f.view.SetSong(song.get());
  f.view.SetSyllablesShown(true);
  f.view.RefreshScoreView();
  EXPECT_STREQ(f.view.Entry(0, 0).syllable, "\x83\x43\x83\x84");
  EXPECT_TRUE(InkIn(Cell(f, 0), 13, 88, 31, 97));
  f.view.SetScale(2.0);
  const RasterSurface& big = Cell(f, 0);
  ASSERT_EQ(big.Height(), 200);
  EXPECT_TRUE(InkIn(big, 26, 176, 62, 194));
  EXPECT_FALSE(InkIn(big, 0, 140, 128, 174));  // no lyric, nothing between the rows
}

}  // namespace
}  // namespace kumoito
