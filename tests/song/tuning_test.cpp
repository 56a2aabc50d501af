#include "song/tuning.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
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
  std::int32_t beats = 4;
  std::int32_t keyIndex = key;
  std::int32_t measureCount = measures;
  return CSongData::LoadOrCreate("", beats, keyIndex, measureCount);
}

int CountReports(const std::string& text, std::string_view tag) {
  int count = 0;
  for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
    ++count;
  }
  return count;
}

std::string Transposed(std::string_view text, int n) {
  char field[kChordFieldSize] = {};
  SetFieldText(field, text);
  TransposeChord(field, n);
  return std::string(FieldText(field));
}

// --- Tables ---------------------------------------------------------------

TEST(TuningTables, FirstStringListNamesMatchTheirPitchClass) {
  std::set<int> values;
  for (const FirstStringEntry& entry : kFirstStringList) {
    ASSERT_GE(entry.value, 0);
    ASSERT_LT(entry.value, 12);
    EXPECT_EQ(entry.name, kNoteNames[entry.value]);
    values.insert(entry.value);
  }
  EXPECT_EQ(values.size(), 12u);
  EXPECT_EQ(kFirstStringList[2].name, "B");
  EXPECT_EQ(kFirstStringList[11].value, 5);
}

TEST(TuningTables, OpenStringsFollowTuningAndFirstString) {
  EXPECT_EQ(OpenStringPitches(0, 0), (OpenStrings{48, 53, 60}));
  EXPECT_EQ(OpenStringPitches(0, 1), (OpenStrings{48, 55, 60}));
  EXPECT_EQ(OpenStringPitches(9, 2), (OpenStrings{57, 62, 67}));  // 三下り on A
  EXPECT_EQ(OpenStringPitches(11, 0), (OpenStrings{59, 64, 71}));
}

TEST(TuningTables, UnusableSettingsAreTakenAsZero) {
  // A batch run stores -1; a hand-edited file can hold anything.
  EXPECT_EQ(OpenStringPitches(-1, -1), (OpenStrings{48, 53, 60}));
  EXPECT_EQ(OpenStringPitches(12, 3), (OpenStrings{48, 53, 60}));
  EXPECT_EQ(OpenStringPitches(1 << 30, -(1 << 30)), (OpenStrings{48, 53, 60}));
  EXPECT_EQ(FirstStringPitch(-1), 48);
}

TEST(TuningTables, RelativeMajorPitchIsNotReduced) {
  EXPECT_EQ(RelativeMajorPitch(0), 0);    // C
  EXPECT_EQ(RelativeMajorPitch(15), 12);  // Am
  EXPECT_EQ(RelativeMajorPitch(22), 13);  // A#m
  EXPECT_EQ(RelativeMajorPitch(14), 11);  // Cb
  EXPECT_EQ(RelativeMajorPitch(99), 0);   // unusable row read as C
}

// --- String placement -----------------------------------------------------

TEST(PitchPlaces, HonChoshiOnC) {
  const PitchPlaceTable table = BuildPitchPlaces(OpenStringPitches(0, 0));
  auto place = [&](int p) { return std::make_pair(table[p].string, table[p].position); };
  EXPECT_EQ(place(48), std::make_pair(0, 1));
  EXPECT_EQ(place(52), std::make_pair(0, 5));
  EXPECT_EQ(place(53), std::make_pair(1, 1));
  EXPECT_EQ(place(59), std::make_pair(1, 7));
  EXPECT_EQ(place(60), std::make_pair(2, 1));
  EXPECT_EQ(place(47), std::make_pair(1, 7));  // sounds as 59
  EXPECT_EQ(place(36), std::make_pair(0, 1));  // exactly one octave below
  EXPECT_EQ(place(0), std::make_pair(0, 1));
  EXPECT_EQ(place(85), std::make_pair(2, 14));
}

TEST(PitchPlaces, PositionsAboveTwentyFiveFoldByOctaves) {
  const PitchPlaceTable table = BuildPitchPlaces(OpenStringPitches(0, 0));
  EXPECT_EQ(table[84].position, 25);  // highest unfolded position
  EXPECT_EQ(table[85].position, 14);
  EXPECT_EQ(table[96].position, 25);
  EXPECT_EQ(table[97].position, 14);
  EXPECT_EQ(table[127].string, 2);
  EXPECT_EQ(table[127].position, 20);
}

TEST(PitchPlaces, SanSagariOnA) {
  const PitchPlaceTable table = BuildPitchPlaces(OpenStringPitches(9, 2));
  EXPECT_EQ(table[57].string, 0);
  EXPECT_EQ(table[57].position, 1);
  EXPECT_EQ(table[61].string, 0);
  EXPECT_EQ(table[61].position, 5);
  EXPECT_EQ(table[62].string, 1);
  EXPECT_EQ(table[62].position, 1);
  EXPECT_EQ(table[67].string, 2);
  EXPECT_EQ(table[67].position, 1);
  EXPECT_EQ(table[56].string, 2);  // below the first string: sounds as 68
  EXPECT_EQ(table[56].position, 2);
}

// For every tuning, first string and pitch the place sounds the same pitch
// class, never below the first string: raised by whole octaves when the pitch
// lies below it, unmoved within reach, lowered by octaves only when it lies
// beyond position 25 of the third string.
TEST(PitchPlaces, EveryPlaceSoundsThePitchMovedByWholeOctaves) {
  for (int tuning = 0; tuning < kTuningCount; ++tuning) {
    for (const FirstStringEntry& first : kFirstStringList) {
      const OpenStrings open = OpenStringPitches(first.value, tuning);
      const PitchPlaceTable table = BuildPitchPlaces(open);
      for (int p = 0; p <= kMaxPitch; ++p) {
        SCOPED_TRACE(testing::Message()
                     << "tuning " << tuning << " first " << first.value << " pitch " << p);
        const PitchPlace& place = table[p];
        ASSERT_GE(place.string, 0);
        ASSERT_LT(place.string, kStringCount);
        ASSERT_GE(place.position, 1);
        ASSERT_LE(place.position, kMaxPosition);
        const int sounding = open[place.string] + place.position - 1;
        EXPECT_EQ((sounding - p) % 12, 0);
        EXPECT_GE(sounding, open[0]);
        if (p < open[0]) {
          EXPECT_LT(sounding, open[0] + 12);  // the lowest octave that reaches
        } else if (p <= open[2] + kMaxPosition - 1) {
          EXPECT_EQ(sounding, p);
        } else {
          EXPECT_EQ(place.string, 2);
          EXPECT_GT(place.position, kMaxPosition - 12);
        }
        // The highest string whose open pitch does not exceed the note.
        if (sounding == p || p < open[0]) {
          for (int s = place.string + 1; s < kStringCount; ++s) {
            EXPECT_LT(sounding, open[s]);
          }
        }
      }
    }
  }
}

// --- Note transposition ---------------------------------------------------

TEST(TransposeCells, FoldsIntoMidiRangeByOctaves) {
  auto song = NewSong(0, 1);
  song->m_cells[0].pitch[0] = 125;
  song->m_cells[1].pitch[1] = 2;
  song->m_cells[2].pitch[2] = 60;
  TransposeCells(*song, 7);
  EXPECT_EQ(song->m_cells[0].pitch[0], 120);
  EXPECT_EQ(song->m_cells[1].pitch[1], 9);
  EXPECT_EQ(song->m_cells[2].pitch[2], 67);
  TransposeCells(*song, -12);
  TransposeCells(*song, -5);
  EXPECT_EQ(song->m_cells[0].pitch[0], 103);
  EXPECT_EQ(song->m_cells[1].pitch[1], 4);  // 9 - 17 = -8, folded up to 4
  EXPECT_EQ(song->m_cells[2].pitch[2], 50);
}

TEST(TransposeCells, ExtremeShiftsStayInRange) {
  auto song = NewSong(0, 1);
  song->m_cells[0].pitch[0] = 0;
  song->m_cells[1].pitch[0] = 127;
  TransposeCells(*song, 1000);
  EXPECT_EQ(song->m_cells[0].pitch[0], 124);  // 1000 = 4 mod 12
  TransposeCells(*song, -2000000000);
  for (int c = 0; c < 2; ++c) {
    EXPECT_GE(song->m_cells[c].pitch[0], 0);
    EXPECT_LE(song->m_cells[c].pitch[0], 127);
  }
}

TEST(TransposeCells, LeavesMarkersAndCellsBeyondTheSong) {
  auto song = NewSong(0, 1);  // 4 beats, cells 0..7
  song->m_cells[0].pitch[1] = 60;
  song->m_cells[8].pitch[0] = 60;  // beyond the song
  TransposeCells(*song, 3);
  EXPECT_EQ(song->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_EQ(song->m_cells[0].pitch[1], 63);
  EXPECT_EQ(song->m_cells[0].pitch[2], SLOT_NONE);
  EXPECT_EQ(song->m_cells[1].pitch[0], SLOT_HOLD);
  EXPECT_EQ(song->m_cells[8].pitch[0], 60);
}

// --- Chord transposition --------------------------------------------------

TEST(TransposeChord, RewritesRootWithSharpNames) {
  struct Case {
    std::string_view in;
    int n;
    std::string_view out;
  };
  const Case cases[] = {
      {"C", 2, "D"},           {"C ", 2, "D "},     {"F", 1, "F#"},   {"Bb7", 0, "A#7"},
      {"Bb7", 12, "A#7"},      {"Bb7", -12, "A#7"}, {"Am", -2, "Gm"}, {"C#m7", -1, "Cm7"},
      {"Ebmaj7", 2, "Fmaj7"},  {"Gb", 0, "F#"},     {"Db", 0, "C#"},  {"Ab", 1, "A"},
      {"B", 1, "C"},           {"C", -1, "B"},      {"G", -7, "C"},   {"E", 15, "G"},
      {"Dadd9", -14, "Cadd9"}, {"C/G", 2, "D/G"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Transposed(c.in, c.n), c.out) << c.in << " by " << c.n;
  }
}

TEST(TransposeChord, SkipAndEmptyStayWithoutReport) {
  ScopedReportCapture capture;
  EXPECT_EQ(Transposed("Skip", 3), "Skip");
  EXPECT_EQ(Transposed("", 3), "");
  EXPECT_EQ(capture.Text(), "");
}

TEST(TransposeChord, LongResultIsCutToSevenWithTerminator) {
  char field[kChordFieldSize];
  std::memcpy(field, "Cmaj7b5", 8);
  EXPECT_TRUE(TransposeChord(field, 1));
  EXPECT_EQ(std::string(field), "C#maj7b");
  EXPECT_EQ(field[7], '\0');

  // A field filled to the last byte, as a score file may hold it.
  std::memcpy(field, "Cadd9sus", 8);
  EXPECT_TRUE(TransposeChord(field, 2));
  EXPECT_EQ(std::string(field, FieldLength(field, 8)), "Dadd9su");
  EXPECT_EQ(field[7], '\0');
}

TEST(TransposeChord, CutNeverSplitsATwoByteCharacter) {
  // "C" and three full-width characters: seven bytes; "C#" leaves room for
  // only two of them.
  const char sjis[] = "C\x82\xa0\x82\xa2\x82\xa4";
  char field[kChordFieldSize];
  std::memcpy(field, sjis, sizeof sjis);
  EXPECT_TRUE(TransposeChord(field, 1));
  EXPECT_EQ(std::string(field), "C#\x82\xa0\x82\xa2");
  EXPECT_EQ(field[6], '\0');
  EXPECT_EQ(field[7], '\0');
}

TEST(TransposeChord, UnrecognisedRootIsReportedAndLeftAlone) {
  for (std::string_view bad : {"Cb", "Fbm", "E#7", "B#", "H", "N.C.", "cm", " "}) {
    ScopedReportCapture capture;
    char field[kChordFieldSize] = {};
    SetFieldText(field, bad);
    EXPECT_FALSE(TransposeChord(field, 5)) << bad;
    EXPECT_EQ(FieldText(field), bad);
    EXPECT_EQ(capture.Text(), "\nSGDT00000000 楽曲情報でエラーがおきました。") << bad;
  }
}

TEST(TransposeChords, BothFieldsOfEveryBeatOnce) {
  auto song = NewSong(0, 1);  // 4 beats
  SetFieldText(song->m_beatChords[0].chord, "Bb");
  SetFieldText(song->m_beatChords[0].chordMid, "Fm7");
  SetFieldText(song->m_beatChords[1].chord, "Cb");
  SetFieldText(song->m_beatChords[2].chordMid, "E#");
  SetFieldText(song->m_beatChords[3].chord, "Skip");
  ScopedReportCapture capture;
  TransposeChords(*song, 2);
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "C");
  EXPECT_EQ(FieldText(song->m_beatChords[0].chordMid), "Gm7");
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "Cb");
  EXPECT_EQ(FieldText(song->m_beatChords[1].chordMid), "");
  EXPECT_EQ(FieldText(song->m_beatChords[2].chord), "D ");
  EXPECT_EQ(FieldText(song->m_beatChords[3].chord), "Skip");
  EXPECT_EQ(FieldText(song->m_beatChords[4].chord), "----");  // beyond the song
  EXPECT_EQ(CountReports(capture.Text(), "SGDT"), 2);
}

// --- Song transposition and key change ------------------------------------

TEST(TransposeSong, OctaveShiftMovesKeyToFirstRowOfSameKey) {
  struct Case {
    int from;
    int n;
    int to;
  };
  const Case cases[] = {
      {12, 0, 7},     // Db -> C#
      {13, 12, 6},    // Gb -> F#
      {14, -12, 14},  // Cb: 11 - 12 < 0, no row matches, key stays
      {14, 24, 5},    // Cb -> B
      {29, 0, 20},    // Abm -> G#m
      {28, 12, 21},   // Ebm -> D#m
      {27, 0, 22},    // Bbm -> A#m
      {1, -5, 2},     // G -> D
      {0, -5, 0},     // C: -5 stays negative, key stays
      {8, -7, 8},     // F: -2, key stays
      {15, 3, 25},    // Am + 3: first minor row on C is Cm, never the major C
  };
  for (const Case& c : cases) {
    auto song = NewSong(c.from, 1);
    const std::string name(song->KeyName());
    TransposeSong(*song, c.n);
    EXPECT_EQ(song->m_keyIndex, c.to) << "from " << c.from << " by " << c.n;
    EXPECT_EQ(song->KeyName(), name);
  }
}

TEST(TransposeSong, MovesChordsAndNotes) {
  auto song = NewSong(0, 1);
  song->m_cells[2].pitch[0] = 60;
  SetFieldText(song->m_beatChords[1].chord, "Bb7");
  TransposeSong(*song, 7);
  EXPECT_EQ(song->m_cells[2].pitch[0], 67);
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "G ");
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "F7");
  EXPECT_EQ(song->m_keyIndex, 1);
}

TEST(ChangeKey, CToAMinorRaisesAnOctaveAndRespellsFlats) {
  auto song = NewSong(0, 2);
  song->m_cells[0].pitch[0] = 48;
  song->m_cells[3].pitch[1] = 115;
  song->m_cells[5].pitch[2] = 127;
  SetFieldText(song->m_beatChords[1].chord, "Bb");
  SetFieldText(song->m_beatChords[2].chordMid, "Ebm7");
  ChangeKey(*song, 0, 15);
  EXPECT_EQ(song->m_cells[0].pitch[0], 60);
  EXPECT_EQ(song->m_cells[3].pitch[1], 127);
  EXPECT_EQ(song->m_cells[5].pitch[2], 127);  // 139 folds back an octave
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "C ");
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "A#");
  EXPECT_EQ(FieldText(song->m_beatChords[2].chordMid), "D#m7");
  EXPECT_EQ(song->m_keyIndex, 15);
  EXPECT_EQ(song->KeyName(), "Am");
}

TEST(ChangeKey, GToCLowersBySeven) {
  auto song = NewSong(1, 1);
  song->m_cells[0].pitch[0] = 67;
  song->m_cells[1].pitch[0] = 3;
  ChangeKey(*song, 1, 0);
  EXPECT_EQ(song->m_cells[0].pitch[0], 60);
  EXPECT_EQ(song->m_cells[1].pitch[0], 8);  // -4 folds up
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "C ");
  EXPECT_EQ(song->m_keyIndex, 0);
  EXPECT_EQ(song->KeyName(), "C ");
}

TEST(ChangeKey, UnusableRowsAreTakenAsC) {
  auto song = NewSong(0, 1);
  song->m_cells[0].pitch[0] = 60;
  ChangeKey(*song, -1, 40);
  EXPECT_EQ(song->m_cells[0].pitch[0], 60);
  EXPECT_EQ(song->m_keyIndex, 0);
}

// Moving r -> s -> r restores every pitch whose way out stayed in 0..127.
TEST(ChangeKey, ThereAndBackRestoresUnfoldedPitches) {
  auto song = NewSong(0, 64);  // 512 cells: every pitch, in all three slots
  for (int c = 0; c < 128; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      song->m_cells[c].pitch[s] = (c + 43 * s) % 128;
    }
  }
  std::vector<NoteCell> before(song->m_cells.begin(), song->m_cells.end());
  for (int r = 0; r < kKeyCount; ++r) {
    for (int s = 0; s < kKeyCount; ++s) {
      std::copy(before.begin(), before.end(), song->m_cells.begin());
      const int shift = RelativeMajorPitch(s) - RelativeMajorPitch(r);
      ChangeKey(*song, r, s);
      ChangeKey(*song, s, r);
      for (int c = 0; c < 128; ++c) {
        for (int k = 0; k < kSlotsPerCell; ++k) {
          const int p = before[c].pitch[k];
          const int moved = p + shift;
          if (moved >= 0 && moved <= kMaxPitch) {
            ASSERT_EQ(song->m_cells[c].pitch[k], p) << "rows " << r << "->" << s;
          } else {
            ASSERT_EQ((song->m_cells[c].pitch[k] - p) % 12, 0);
          }
        }
      }
      ASSERT_EQ(song->m_keyIndex, r);
    }
  }
}

}  // namespace
}  // namespace kumoito
