#include "song/arrangement.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <numeric>

#include <gtest/gtest.h>

#include "common/report.h"
#include "common/sjis.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

// A 4/4 song in the given key whose notes start, one per cell, on pitches.
std::unique_ptr<CSongData> SongWithNotes(int key, std::initializer_list<int> pitches) {
  std::int32_t beats = 4, keyIndex = key, measureCount = 4;
  auto song = CSongData::LoadOrCreate("", beats, keyIndex, measureCount);
  int cell = 0;
  for (int p : pitches) {
    song->m_cells[cell++].pitch[0] = p;
  }
  return song;
}

void ExpectChoice(const KeyAndTuning& choice, int key, int tuning) {
  EXPECT_EQ(choice.key, key);
  EXPECT_EQ(choice.tuning, tuning);
}

TEST(PitchHistogram, CountsNoteStartsInAllSlotsOfTheSongOnly) {
  auto song = SongWithNotes(0, {60, 60, 0, 127});
  song->m_cells[4].pitch[2] = 60;
  song->m_cells[32].pitch[0] = 60;  // beyond the 16-beat song
  PitchCounts counters;
  counters.fill(99);
  PitchHistogram(*song, counters);
  EXPECT_EQ(counters[60], 3);
  // Rests, holds and unused slots count nothing.
  EXPECT_EQ(std::accumulate(counters.begin(), counters.end(), 0), 5);
}

TEST(ChooseKeyAndTuning, MostNotesOnOpenStrings) {
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(0, {48, 53, 60, 48}), 0), 0, 0);
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(0, {48, 55, 60}), 0), 0, 1);
  // Counted after the octave fitting: two octaves up they score the same.
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(0, {72, 79, 84}), 0), 0, 1);
  // Moved to E these become 52, 53, 58: two on 三下り, beaten by no earlier pair.
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(0, {48, 49, 54}), 0), 4, 2);
  // D, G, D sit on 本調子 in D when the first string is D, and in C on C.
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(2, {50, 55, 62}), 2), 2, 0);
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(2, {50, 55, 62}), -1), 0, 0);
}

TEST(ChooseKeyAndTuning, TiesAndEmptySongGoToTheFirstCandidate) {
  // One F scores 1 under C/本調子, G/本調子 and five later pairs.
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(0, {53}), 0), 0, 0);
  ExpectChoice(ChooseKeyAndTuning(*SongWithNotes(5, {}), 7), 0, 0);
}

TEST(ChooseKeyAndTuning, LeavesTheSongUntouchedAndReportsNothing) {
  auto song = SongWithNotes(12, {61, 66, 73, 70});
  SetFieldText(song->m_beatChords[1].chord, "Cb");  // unrecognised root
  const auto cells = std::make_unique<decltype(song->m_cells)>(song->m_cells);
  const auto chords = std::make_unique<decltype(song->m_beatChords)>(song->m_beatChords);
  ScopedReportCapture capture;
  ChooseKeyAndTuning(*song, 0);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(std::memcmp(song->m_cells.data(), cells->data(), sizeof *cells), 0);
  EXPECT_EQ(std::memcmp(song->m_beatChords.data(), chords->data(), sizeof *chords), 0);
  EXPECT_EQ(song->m_keyIndex, 12);
}

TEST(FitOctave, LowestNoteLandsInTheOctaveAboveBase) {
  const int cases[][2] = {{72, 48}, {47, 59}, {59, 59}, {60, 48}, {48, 48}, {0, 48}};
  for (const auto& c : cases) {
    auto song = SongWithNotes(0, {c[0], 120});
    FitOctave(*song, 48);
    EXPECT_EQ(song->m_cells[0].pitch[0], c[1]) << "lowest " << c[0];
    EXPECT_EQ(song->m_cells[1].pitch[0] % 12, 0);  // 120 moved by octaves, folded if need be
  }
}

TEST(FitOctave, ZeroShiftRespellsButLowestOnBaseChangesNothing) {
  auto song = SongWithNotes(12, {59, 64});  // Db
  SetFieldText(song->m_beatChords[1].chord, "Bb7");
  FitOctave(*song, 48);
  EXPECT_EQ(song->m_cells[0].pitch[0], 59);
  EXPECT_EQ(FieldText(song->m_beatChords[1].chord), "A#7");
  EXPECT_EQ(song->m_keyIndex, 7);  // C#

  auto onBase = SongWithNotes(12, {48, 64});
  SetFieldText(onBase->m_beatChords[1].chord, "Bb7");
  FitOctave(*onBase, 48);
  EXPECT_EQ(FieldText(onBase->m_beatChords[1].chord), "Bb7");
  EXPECT_EQ(onBase->m_keyIndex, 12);
}

TEST(FitOctave, EmptySongMovesDownWithNegativeKeyRemainder) {
  // Lowest counts as 128: shift -72, and Db's 1 - 72 matches no key row.
  auto song = SongWithNotes(12, {});
  SetFieldText(song->m_beatChords[0].chord, "Bb");
  FitOctave(*song, 48);
  EXPECT_EQ(FieldText(song->m_beatChords[0].chord), "A#");
  EXPECT_EQ(song->m_keyIndex, 12);
}

}  // namespace
}  // namespace kumoito
