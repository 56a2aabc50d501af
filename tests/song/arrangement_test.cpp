#include "song/arrangement.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/report.h"
#include "common/sjis.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

// A 4/4 song in the given key whose notes start, one per cell, on pitches.
std::unique_ptr<CSongData> SongWithNotes(int key, std::initializer_list<int> pitches,
                                         int measures = 4) {
  std::int32_t beats = 4;
  std::int32_t keyIndex = key;
  std::int32_t measureCount = measures;
  auto song = CSongData::LoadOrCreate("", beats, keyIndex, measureCount);
  int cell = 0;
  for (int p : pitches) {
    song->m_cells[cell++].pitch[0] = p;
  }
  return song;
}

std::vector<int> SlotZeroPitches(const CSongData& song, int cells) {
  std::vector<int> out;
  for (int c = 0; c < cells; ++c) {
    out.push_back(song.m_cells[c].pitch[0]);
  }
  return out;
}

// --- Histogram ------------------------------------------------------------

TEST(PitchHistogram, CountsNoteStartsInAllSlotsOfTheSong) {
  auto song = SongWithNotes(0, {60, 60, 0, 127}, 1);
  song->m_cells[4].pitch[1] = 60;
  song->m_cells[5].pitch[2] = 72;
  song->m_cells[8].pitch[0] = 60;  // beyond the one-measure song
  PitchCounts counters;
  counters.fill(99);
  PitchHistogram(*song, counters);
  EXPECT_EQ(counters[60], 3);
  EXPECT_EQ(counters[0], 1);
  EXPECT_EQ(counters[127], 1);
  EXPECT_EQ(counters[72], 1);
  int total = 0;
  for (int n : counters) {
    total += n;
  }
  EXPECT_EQ(total, 6);  // rests, holds and unused slots count nothing
}

// --- Choice of key and tuning ---------------------------------------------

TEST(ChooseKeyAndTuning, OpenStringsOfHonChoshi) {
  auto song = SongWithNotes(0, {48, 53, 60, 48, 53, 60});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(choice.key, 0);
  EXPECT_EQ(choice.tuning, 0);
}

TEST(ChooseKeyAndTuning, FifthOnSecondStringChoosesNiagari) {
  auto song = SongWithNotes(0, {48, 55, 60});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(choice.key, 0);
  EXPECT_EQ(choice.tuning, 1);
}

TEST(ChooseKeyAndTuning, TiesGoToTheEarlierCandidate) {
  // One F: in C it is the open second string of 本調子; in G it becomes a C
  // on the open first string. Several later pairs score the same.
  auto song = SongWithNotes(0, {53});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(choice.key, 0);
  EXPECT_EQ(choice.tuning, 0);
}

TEST(ChooseKeyAndTuning, StrictlyBetterLaterCandidateWins) {
  // Moved to E (row 4) these become 52, 53, 58: two notes on open strings
  // of 三下り, which no earlier pair reaches.
  auto song = SongWithNotes(0, {48, 49, 54});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(choice.key, 4);
  EXPECT_EQ(choice.tuning, 2);
}

TEST(ChooseKeyAndTuning, EmptySongGivesCAndHonChoshi) {
  auto song = SongWithNotes(5, {});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 7);
  EXPECT_EQ(choice.key, 0);
  EXPECT_EQ(choice.tuning, 0);
}

TEST(ChooseKeyAndTuning, FirstStringValueSetsTheOpenPitches) {
  // With the first string on D (v = 2) a song in D on D, G, D is 本調子 in D.
  auto song = SongWithNotes(2, {50, 55, 62});
  EXPECT_EQ(ChooseKeyAndTuning(*song, 2).key, 2);
  EXPECT_EQ(ChooseKeyAndTuning(*song, 2).tuning, 0);
  // The same notes against a C first string: moved to C they are 本調子 there.
  EXPECT_EQ(ChooseKeyAndTuning(*song, 0).key, 0);
  EXPECT_EQ(ChooseKeyAndTuning(*song, -1).key, 0);  // -1 read as C
}

TEST(ChooseKeyAndTuning, MinorSongIsMeasuredFromItsRelativeMajor) {
  // In Am (relative major C, +12) the candidate C moves every note down an
  // octave; FitOctave then puts 60 on the first string either way.
  auto song = SongWithNotes(15, {60, 65, 72});
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(choice.key, 0);
  EXPECT_EQ(choice.tuning, 0);
}

TEST(ChooseKeyAndTuning, LeavesTheSongUntouchedAndReportsNothing) {
  auto song = SongWithNotes(12, {61, 66, 73, 70});
  SetFieldText(song->m_beatChords[1].chord, "Cb");  // unrecognised root
  SetFieldText(song->m_beatChords[2].chord, "Bbm");
  const auto cells = std::make_unique<decltype(song->m_cells)>(song->m_cells);
  const auto chords = std::make_unique<decltype(song->m_beatChords)>(song->m_beatChords);
  ScopedReportCapture capture;
  ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(std::memcmp(song->m_cells.data(), cells->data(), sizeof song->m_cells), 0);
  EXPECT_EQ(std::memcmp(song->m_beatChords.data(), chords->data(), sizeof song->m_beatChords), 0);
  EXPECT_EQ(song->m_keyIndex, 12);
}

// --- Octave fitting -------------------------------------------------------

TEST(FitOctave, MovesLowestNoteIntoTheOctaveAboveBase) {
  struct Case {
    int lowest;
    int shift;
  };
  for (const Case& c : {Case{72, -24}, Case{47, 12}, Case{59, 0}, Case{60, -12}, Case{48, 0},
                        Case{0, 48}, Case{127, -72}}) {
    auto song = SongWithNotes(0, {c.lowest, 127});
    FitOctave(*song, 48);
    EXPECT_EQ(song->m_cells[0].pitch[0], c.lowest + c.shift) << "lowest " << c.lowest;
    EXPECT_GE(song->m_cells[0].pitch[0], 48);
    EXPECT_LE(song->m_cells[0].pitch[0], 59);
  }
}

TEST(FitOctave, UpwardShiftFoldsTheHighestNotes) {
  auto song = SongWithNotes(0, {47, 120, 60});
  FitOctave(*song, 48);
  EXPECT_EQ(SlotZeroPitches(*song, 3), (std::vector<int>{59, 120, 72}));  // 132 folds to 120
}

TEST(FitOctave, ZeroShiftStillRespellsChordsAndKeyRow) {
  auto song = SongWithNotes(12, {59, 64});  // Db
  SetFieldText(song->m_beatChords[1].chord, "Bb7");
  FitOctave(*song, 48);
  EXPECT_EQ(SlotZeroPitches(*song, 2), (std::vector<int>{59, 64}));
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "A#7");
  EXPECT_EQ(song->m_keyIndex, 7);  // C#
}

TEST(FitOctave, LowestOnBaseChangesNothing) {
  auto song = SongWithNotes(12, {48, 64});
  SetFieldText(song->m_beatChords[1].chord, "Bb7");
  FitOctave(*song, 48);
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "Bb7");
  EXPECT_EQ(song->m_keyIndex, 12);
}

TEST(FitOctave, EmptySongMovesDownWithNegativeKeyRemainder) {
  // No note: lowest counts as 128, shift -72. Db's tonic 1 - 72 is negative,
  // so no row matches and the key row stays; the chords are still respelled.
  auto song = SongWithNotes(12, {});
  SetFieldText(song->m_beatChords[0].chord, "Bb");
  FitOctave(*song, 48);
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "A#");
  EXPECT_EQ(song->m_keyIndex, 12);
}

// The whole open sequence as the main window runs it.
TEST(Arrangement, ChosenKeyThenChangeKeyThenFitOctave) {
  auto song = SongWithNotes(0, {50, 55, 62, 50});  // D, G, D, D
  const KeyAndTuning choice = ChooseKeyAndTuning(*song, 0);
  ChangeKey(*song, song->m_keyIndex, choice.key);
  FitOctave(*song, FirstStringPitch(0));
  PitchCounts counters;
  PitchHistogram(*song, counters);
  const OpenStrings open = OpenStringPitches(0, choice.tuning);
  EXPECT_EQ(counters[open[0]] + counters[open[1]] + counters[open[2]], 4);
  // Bb moves D, G, D up to C, F, C; the octave fitting puts them on 48, 53, 60.
  EXPECT_EQ(choice.key, 9);
  EXPECT_EQ(choice.tuning, 0);
}

}  // namespace
}  // namespace kumoito
