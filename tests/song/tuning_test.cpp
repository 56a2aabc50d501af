#include "song/tuning.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "common/report.h"
#include "common/sjis.h"
#include "song/key_table.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

std::unique_ptr<CSongData> NewSong(int key, int measures) {
  std::int32_t beats = 4, keyIndex = key, measureCount = measures;
  return CSongData::LoadOrCreate("", beats, keyIndex, measureCount);
}

std::string Transposed(std::string_view text, int n) {
  char field[kChordFieldSize] = {};
  std::copy(text.begin(), text.end(), field);  // up to 8 bytes, as a file may hold
  TransposeChord(field, n);
  // Terminated, and nothing of the old text left behind it.
  for (std::size_t i = FieldLength(field, kChordFieldSize); i < kChordFieldSize; ++i) {
    EXPECT_EQ(field[i], '\0') << text;
  }
  return std::string(FieldText(field));
}

TEST(TuningTables, OpenStringsFromSettings) {
  for (const FirstStringEntry& entry : kFirstStringList) {
    EXPECT_EQ(entry.name, kNoteNames[entry.value]);
  }
  EXPECT_EQ(OpenStringPitches(0, 1), (OpenStrings{48, 55, 60}));
  EXPECT_EQ(OpenStringPitches(9, 2), (OpenStrings{57, 62, 67}));  // 三下り on A
  // Values a batch run (-1) or a damaged file leave are taken as 0.
  EXPECT_EQ(OpenStringPitches(-1, -1), (OpenStrings{48, 53, 60}));
  EXPECT_EQ(OpenStringPitches(12, 3), (OpenStrings{48, 53, 60}));
}

TEST(PitchPlaces, HonChoshiOnC) {
  const PitchPlaceTable table = BuildPitchPlaces(OpenStringPitches(0, 0));
  auto place = [&](int p) { return std::make_pair(table[p].string, table[p].position); };
  EXPECT_EQ(place(48), std::make_pair(0, 1));
  EXPECT_EQ(place(53), std::make_pair(1, 1));
  EXPECT_EQ(place(60), std::make_pair(2, 1));
  EXPECT_EQ(place(59), std::make_pair(1, 7));
  EXPECT_EQ(place(47), std::make_pair(1, 7));   // sounds as 59
  EXPECT_EQ(place(84), std::make_pair(2, 25));  // highest unfolded position
  EXPECT_EQ(place(85), std::make_pair(2, 14));
  EXPECT_EQ(place(127), std::make_pair(2, 20));
}

// Every place sounds the pitch moved by whole octaves and never below the
// first string: raised when the pitch lies below it, unmoved within reach,
// lowered only when it lies beyond position 25 of the third string.
TEST(PitchPlaces, EveryPlaceSoundsThePitchMovedByWholeOctaves) {
  for (int tuning = 0; tuning < kTuningCount; ++tuning) {
    for (const FirstStringEntry& first : kFirstStringList) {
      const OpenStrings open = OpenStringPitches(first.value, tuning);
      const PitchPlaceTable table = BuildPitchPlaces(open);
      for (int p = 0; p <= kMaxPitch; ++p) {
        SCOPED_TRACE(testing::Message() << tuning << "/" << first.value << "/" << p);
        const PitchPlace& place = table[p];
        ASSERT_TRUE(place.string >= 0 && place.string < kStringCount);
        ASSERT_TRUE(place.position >= 1 && place.position <= kMaxPosition);
        const int sounding = open[place.string] + place.position - 1;
        EXPECT_EQ((sounding - p) % 12, 0);
        EXPECT_GE(sounding, open[0]);
        if (p < open[0]) {
          EXPECT_LT(sounding, open[0] + 12);
        } else if (p < open[2] + kMaxPosition) {
          EXPECT_EQ(sounding, p);
        }
        // On the highest string whose open pitch it reaches.
        if (place.string < 2 && sounding >= p) {
          EXPECT_LT(sounding, open[place.string + 1]);
        }
      }
    }
  }
}

TEST(TransposeCells, FoldsNotesAndLeavesMarkersAndCellsBeyondTheSong) {
  auto song = NewSong(0, 1);  // cells 0..7
  song->m_cells[0].pitch[1] = 125;
  song->m_cells[1].pitch[2] = 2;
  song->m_cells[8].pitch[0] = 60;
  TransposeCells(*song, 7);
  EXPECT_EQ(song->m_cells[0].pitch[1], 120);
  TransposeCells(*song, -12);
  EXPECT_EQ(song->m_cells[1].pitch[2], 9);  // 2 + 7 - 12 folds up
  EXPECT_EQ(song->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_EQ(song->m_cells[1].pitch[0], SLOT_HOLD);
  EXPECT_EQ(song->m_cells[8].pitch[0], 60);
  TransposeCells(*song, -2000000000);  // no overflow, still in range
  EXPECT_TRUE(song->m_cells[0].pitch[1] >= 0 && song->m_cells[0].pitch[1] <= 127);
}

// A two-string note keeps its interval through a change of key or octave.
TEST(TransposeCells, NotesStruckTogetherMoveWithTheirNote) {
  auto song = NewSong(0, 1);
  song->m_cells[0].pitch[0] = 60;
  song->m_marks.At(0, 0).together = {67, 64};
  song->m_marks.At(2, 0).together = {70, kNoPitch};  // on a hold: moved all the same
  TransposeCells(*song, 5);
  EXPECT_EQ(song->m_cells[0].pitch[0], 65);
  EXPECT_EQ(song->m_marks.At(0, 0).together, (std::array<std::uint8_t, kMaxTogether>{72, 69}));
  EXPECT_EQ(song->m_marks.At(2, 0).together[1], kNoPitch);
  TransposeSong(*song, -12);
  EXPECT_EQ(song->m_marks.At(0, 0).together[0], 60);
}

TEST(TransposeChord, RewritesRootWithSharpNamesAndKeepsSuffix) {
  EXPECT_EQ(Transposed("C ", 2), "D ");
  EXPECT_EQ(Transposed("F", 1), "F#");
  EXPECT_EQ(Transposed("Bb7", 0), "A#7");
  EXPECT_EQ(Transposed("Bb7", -12), "A#7");
  EXPECT_EQ(Transposed("C#m7", -1), "Cm7");
  EXPECT_EQ(Transposed("Ebmaj7", 2), "Fmaj7");
  EXPECT_EQ(Transposed("C", -1), "B");
  EXPECT_EQ(Transposed("E", 15), "G");
  EXPECT_EQ(Transposed("Skip", 3), "Skip");
  EXPECT_EQ(Transposed("", 3), "");
}

TEST(TransposeChord, LongResultIsCutToSevenWithoutSplittingACharacter) {
  EXPECT_EQ(Transposed("Cmaj7b5", 1), "C#maj7b");
  EXPECT_EQ(Transposed("Cadd9sus", 2), "Dadd9su");  // field without terminator
  // "C" and three two-byte characters: "C#" leaves room for two of them.
  EXPECT_EQ(Transposed("C\x82\xa0\x82\xa2\x82\xa4", 1), "C#\x82\xa0\x82\xa2");
}

TEST(TransposeChords, UnrecognisedRootsReportedOncePerChordAndLeftAlone) {
  auto song = NewSong(0, 2);  // 8 beats
  const char* bad[] = {"Cb", "Fbm", "E#7", "B#", "H", "N.C.", "cm"};
  for (int b = 0; b < 7; ++b) {
    SetFieldText(song->m_beatChords[b].chordMid, bad[b]);
  }
  ScopedReportCapture capture;
  TransposeChords(*song, 2);
  for (int b = 0; b < 7; ++b) {
    EXPECT_EQ(FieldText(song->m_beatChords[b].chordMid), bad[b]);
    EXPECT_EQ(FieldText(song->m_beatChords[b].chord), "D ");
  }
  EXPECT_EQ(FieldText(song->m_beatChords[8].chord), "----");  // beyond the song
  std::string expected;
  for (int i = 0; i < 7; ++i) {
    expected += "\nSGDT00000000 楽曲情報でエラーがおきました。";
  }
  EXPECT_EQ(capture.Text(), expected);
}

TEST(TransposeSong, KeyRowFollowsToFirstRowOfSameMode) {
  struct Case {
    int from, n, to;
  } cases[] = {
      {12, 0, 7},   {13, 12, 6},   {14, 24, 5}, {29, 0, 20},
      {28, 12, 21}, {27, 0, 22},   {1, -5, 2},  {15, 3, 25},  // Am + 3 is Cm, never the major C
      {0, -5, 0},   {14, -12, 14},  // negative truncated remainder: key stays
  };
  for (const Case& c : cases) {
    auto song = NewSong(c.from, 1);
    const std::string name(song->KeyName());
    TransposeSong(*song, c.n);
    EXPECT_EQ(song->m_keyIndex, c.to) << c.from << " by " << c.n;
    EXPECT_EQ(song->KeyName(), name);
  }
}

TEST(ChangeKey, CToAMinorAndGToC) {
  auto song = NewSong(0, 1);
  song->m_cells[0].pitch[0] = 48;
  song->m_cells[5].pitch[2] = 127;
  SetFieldText(song->m_beatChords[1].chordMid, "Ebm7");
  ChangeKey(*song, 0, 15);
  EXPECT_EQ(song->m_cells[0].pitch[0], 60);
  EXPECT_EQ(song->m_cells[5].pitch[2], 127);  // 139 folds back
  EXPECT_EQ(FieldText(song->m_beatChords[1].chordMid), "D#m7");
  EXPECT_EQ(song->m_keyIndex, 15);
  EXPECT_EQ(song->KeyName(), "Am");

  auto g = NewSong(1, 1);
  g->m_cells[0].pitch[0] = 67;
  ChangeKey(*g, 1, 0);
  EXPECT_EQ(g->m_cells[0].pitch[0], 60);
  EXPECT_EQ(FieldText(g->m_beatChords[0].chord), "C ");
  EXPECT_EQ(g->KeyName(), "C ");
}

// r -> s -> r restores every pitch whose way out stayed inside 0..127.
TEST(ChangeKey, ThereAndBackRestoresUnfoldedPitches) {
  auto song = NewSong(0, 64);
  for (int c = 0; c < 128; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      song->m_cells[c].pitch[s] = (c + 43 * s) % 128;
    }
  }
  const std::vector<NoteCell> before(song->m_cells.begin(), song->m_cells.begin() + 128);
  for (int r = 0; r < kKeyCount; ++r) {
    for (int s = 0; s < kKeyCount; ++s) {
      std::copy(before.begin(), before.end(), song->m_cells.begin());
      const int shift = RelativeMajorPitch(s) - RelativeMajorPitch(r);
      ChangeKey(*song, r, s);
      ChangeKey(*song, s, r);
      for (int c = 0; c < 128; ++c) {
        for (int k = 0; k < kSlotsPerCell; ++k) {
          const int p = before[c].pitch[k];
          if (p + shift >= 0 && p + shift <= kMaxPitch) {
            ASSERT_EQ(song->m_cells[c].pitch[k], p) << r << "->" << s;
          }
        }
      }
    }
  }
}

// Every pair of pitches that two strings can play becomes a two-string
// note with the melody on a string that plays it and the other on another
// one; any other pair gets no marks.
TEST(TwoStringMarksTest, EveryPairTwoStringsCanPlayIsPlacedOnTwoStrings) {
  const OpenStrings open{48, 53, 60};
  const PitchPlaceTable places = BuildPitchPlaces(open);
  for (int low = 44; low < 80; ++low) {
    for (int high = low + 1; high <= 84; ++high) {
      bool playable = false;
      for (int a = 0; a < kStringCount; ++a) {
        for (int b = 0; b < kStringCount; ++b) {
          playable =
              playable || (a != b && PlaceOnString(open, high, a) && PlaceOnString(open, low, b));
        }
      }
      const std::optional<NoteMarks> marks = TwoStringMarks(open, high, low);
      ASSERT_EQ(marks.has_value(), playable) << low << "+" << high;
      if (playable) {
        ASSERT_EQ(marks->together[0], low);
        const PitchPlace own = PlaceOfMarkedNote(places, open, high, *marks);
        const auto other = PlaceTogether(places, open, low, own.string);
        ASSERT_TRUE(PlaceOnString(open, high, own.string)) << low << "+" << high;
        ASSERT_TRUE(other && other->string != own.string) << low << "+" << high;
        ASSERT_TRUE(PlaceOnString(open, low, other->string)) << low << "+" << high;
      }
    }
  }
  EXPECT_FALSE(TwoStringMarks(open, 60, 60));
  EXPECT_FALSE(TwoStringMarks(open, 200, 60));
}

}  // namespace
}  // namespace kumoito
