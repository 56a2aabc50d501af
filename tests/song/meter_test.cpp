#include "song/meter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "song/edit_history.h"
#include "song/play_order.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::NewSong;

MeasureMarks& At(CSongData& song, int measure) {
  return song.m_marks.measures[static_cast<std::size_t>(measure)];
}

// Every slot value as it sounds, repeats unfolded: what a listener hears
// must not depend on where the bar lines are drawn.
std::vector<std::int32_t> Heard(const CSongData& song) {
  std::vector<std::int32_t> out;
  const int cells = 2 * song.m_beatsPerMeasure;
  for (const PlayedMeasure& m : PlayOrder(song)) {
    for (int c = m.source * cells; c < (m.source + 1) * cells; ++c) {
      out.push_back(song.m_cells[c].pitch[0]);
      out.push_back(song.m_cells[c].pitch[1]);
    }
  }
  return out;
}

std::vector<unsigned char> State(const CSongData& song) {
  std::vector<unsigned char> state;
  CaptureSongState(song, state);
  return state;
}

// Four measures of 4/4: a note on every beat, a lyric and marks on some.
std::unique_ptr<CSongData> FourBarSong() {
  auto song = NewSong(4);
  for (int b = 0; b < 16; ++b) {
    song->m_cells[2 * b].pitch[0] = 60 + b;
  }
  std::strcpy(song->m_cells[10].lyric[0], "ha");
  song->m_marks.At(10, 0).finger = 2;
  song->m_marks.At(12, 0).together = {55, kNoPitch};
  return song;
}

TEST(Meter, NotesLyricsAndMarksKeepTheirTimesAcrossNewBarLines) {
  auto song = FourBarSong();
  ASSERT_TRUE(ChangeBeatsPerMeasure(*song, 2));
  EXPECT_EQ(song->m_beatsPerMeasure, 2);
  EXPECT_EQ(song->m_measureCount, 8);
  for (int b = 0; b < 16; ++b) {
    EXPECT_EQ(song->m_cells[2 * b].pitch[0], 60 + b) << "beat " << b;
  }
  EXPECT_STREQ(song->m_cells[10].lyric[0], "ha");
  EXPECT_EQ(song->m_marks.At(10, 0).finger, 2);
  EXPECT_EQ(song->m_marks.At(12, 0).together[0], 55);
  EXPECT_TRUE(song->IsFirstCellOfMeasure(4)) << "a bar line every two beats";
}

TEST(Meter, ShortLastMeasureIsFilledOutWithARest) {
  auto song = FourBarSong();
  // The cells after the song's end carry leftovers, which must not sound.
  song->m_cells[33].pitch[0] = 70;
  std::strcpy(song->m_cells[33].lyric[1], "x");
  song->m_marks.At(33, 0).finger = 1;
  ASSERT_TRUE(ChangeBeatsPerMeasure(*song, 3));
  EXPECT_EQ(song->m_measureCount, 6) << "16 beats need six measures of three";
  EXPECT_EQ(song->m_cells[31].pitch[0], SLOT_HOLD) << "the last note keeps its length";
  EXPECT_EQ(song->m_cells[32].pitch[0], SLOT_REST);
  for (int c = 33; c < 36; ++c) {
    EXPECT_EQ(song->m_cells[c].pitch[0], SLOT_HOLD) << c;
    EXPECT_EQ(song->m_cells[c].pitch[1], SLOT_HOLD) << c;
    EXPECT_EQ(song->m_cells[c].lyric[1][0], '\0') << c;
    EXPECT_TRUE(song->m_marks.At(c, 0).Empty()) << c;
  }
  EXPECT_STRNE(song->m_beatChords[17].chord, "") << "the chords carry on";
}

TEST(Meter, RepeatsAndEndingsMoveWithTheBeatsTheyStoodOn) {
  auto song = FourBarSong();
  At(*song, 1) = {kRepeatStart, 0, 0, 0};
  At(*song, 2) = {kRepeatEnd, 3, 1, 0};
  At(*song, 3) = {0, 0, 2, 0};
  const std::vector<std::int32_t> heard = Heard(*song);
  const std::vector<unsigned char> before = State(*song);

  ASSERT_TRUE(ChangeBeatsPerMeasure(*song, 2));
  EXPECT_EQ(At(*song, 2).flags, kRepeatStart);
  EXPECT_EQ(At(*song, 4).flags, 0);
  EXPECT_EQ(At(*song, 5).flags, kRepeatEnd);
  EXPECT_EQ(At(*song, 5).repeatCount, 3);
  EXPECT_EQ(At(*song, 4).ending, 1);
  EXPECT_EQ(At(*song, 5).ending, 1);
  EXPECT_EQ(At(*song, 6).ending, 2);
  EXPECT_EQ(At(*song, 7).ending, 2);
  EXPECT_EQ(Heard(*song), heard);

  ASSERT_TRUE(ChangeBeatsPerMeasure(*song, 4));
  EXPECT_EQ(State(*song), before) << "back to four beats is the song it was";
}

TEST(Meter, MeasureRepeatSignIsWrittenOut) {
  auto song = FourBarSong();
  At(*song, 2).flags = kMeasureRepeat;
  At(*song, 3).flags = kMeasureRepeat;  // repeats the repeat
  std::strcpy(song->m_cells[17].lyric[0], "own");
  const std::vector<std::int32_t> heard = Heard(*song);
  ASSERT_TRUE(ChangeBeatsPerMeasure(*song, 8));
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(song->m_marks.measures[1].flags & kMeasureRepeat, 0);
  EXPECT_EQ(song->m_cells[24].pitch[0], 64) << "measure 4 holds measure 2's notes";
  EXPECT_EQ(song->m_marks.At(28, 0).together[0], 55) << "with their marks";
  EXPECT_STREQ(song->m_cells[17].lyric[0], "own") << "the words stay the measure's own";
  EXPECT_EQ(Heard(*song), heard);
}

TEST(Meter, RefusesWhatDoesNotFitAndLeavesTheSong) {
  auto full = NewSong(256);  // 1024 beats: the capacity
  const std::vector<unsigned char> before = State(*full);
  EXPECT_FALSE(MetreFits(*full, 3)) << "342 measures of three are 1026 beats";
  EXPECT_FALSE(ChangeBeatsPerMeasure(*full, 3));
  EXPECT_EQ(State(*full), before);
  EXPECT_TRUE(ChangeBeatsPerMeasure(*full, 8));
  EXPECT_EQ(full->m_measureCount, 128);

  auto song = FourBarSong();
  EXPECT_FALSE(ChangeBeatsPerMeasure(*song, 0));
  EXPECT_FALSE(ChangeBeatsPerMeasure(*song, 9));
  EXPECT_EQ(song->m_beatsPerMeasure, 4);
  EXPECT_TRUE(ChangeBeatsPerMeasure(*song, 1));
  EXPECT_EQ(song->m_measureCount, 16);
}

}  // namespace
}  // namespace kumoito
