#include "song/play_order.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::NewSong;

std::vector<int> Shown(const CSongData& song) {
  std::vector<int> out;
  for (const PlayedMeasure& m : PlayOrder(song)) {
    out.push_back(m.shown);
  }
  return out;
}

MeasureMarks& At(CSongData& song, int measure) {
  return song.m_marks.measures[static_cast<std::size_t>(measure)];
}

TEST(PlayOrder, RepeatsAndEndingsUnfoldAsPlayersReadThem) {
  auto song = NewSong(5);
  EXPECT_EQ(Shown(*song), (std::vector<int>{0, 1, 2, 3, 4})) << "no marks: once each";

  At(*song, 1).flags = kRepeatStart;
  At(*song, 2).flags = kRepeatEnd;
  EXPECT_EQ(Shown(*song), (std::vector<int>{0, 1, 2, 1, 2, 3, 4}));

  At(*song, 2).repeatCount = 3;
  EXPECT_EQ(Shown(*song), (std::vector<int>{0, 1, 2, 1, 2, 1, 2, 3, 4}));

  // Without a repeat start the first passage goes back to the top, the next
  // to what follows the previous repeat.
  song->m_marks.ClearMeasures(0, 5);
  At(*song, 0).flags = kRepeatEnd;
  At(*song, 2).flags = kRepeatEnd;
  EXPECT_EQ(Shown(*song), (std::vector<int>{0, 0, 1, 2, 1, 2, 3, 4}));

  // |: 0 |1. 1 :| |2. 2 | 3 4
  song->m_marks.ClearMeasures(0, 5);
  At(*song, 0).flags = kRepeatStart;
  At(*song, 1) = MeasureMarks{kRepeatEnd, 0, 1, 0};
  At(*song, 2).ending = 2;
  EXPECT_EQ(Shown(*song), (std::vector<int>{0, 1, 0, 2, 3, 4}));

  // An ending of two measures, and a second repeat after the endings.
  auto longer = NewSong(7);
  At(*longer, 1).ending = 1;
  At(*longer, 2) = MeasureMarks{kRepeatEnd, 0, 1, 0};
  At(*longer, 3).ending = 2;
  At(*longer, 5).flags = kRepeatEnd;
  EXPECT_EQ(Shown(*longer), (std::vector<int>{0, 1, 2, 0, 3, 4, 5, 4, 5, 6}));
}

TEST(PlayOrder, AMeasureRepeatPlaysTheNotesOfTheOneBefore) {
  auto song = NewSong(4);
  At(*song, 1).flags = kMeasureRepeat;
  At(*song, 2).flags = kMeasureRepeat;
  std::vector<PlayedMeasure> order = PlayOrder(*song);
  EXPECT_EQ(order, (std::vector<PlayedMeasure>{{0, 0}, {1, 0}, {2, 0}, {3, 3}}));
  At(*song, 0).flags = kMeasureRepeat;  // nothing before the first
  EXPECT_EQ(PlayOrder(*song)[0], (PlayedMeasure{0, 0}));
}

// Whatever a file sets, the order ends, stays within the score and within
// its bound.
TEST(PlayOrder, AnyMarksGiveAFiniteOrderWithinTheScore) {
  std::mt19937 random(20261209);
  for (int draw = 0; draw < 300; ++draw) {
    SCOPED_TRACE(draw);
    const int measures = 1 + static_cast<int>(random() % 12);
    auto song = NewSong(measures);
    for (int m = 0; m < measures; ++m) {
      At(*song, m) = MeasureMarks{
          static_cast<std::uint8_t>(random() % 8), static_cast<std::uint8_t>(random() % 10),
          static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 4 : 0), 0};
    }
    const std::vector<PlayedMeasure> order = PlayOrder(*song);
    ASSERT_LE(order.size(), static_cast<std::size_t>(measures) * kMaxPlayedPerMeasure);
    for (const PlayedMeasure& m : order) {
      ASSERT_GE(m.source, 0);
      ASSERT_LE(m.source, m.shown);
      ASSERT_LT(m.shown, measures);
    }
  }
}

}  // namespace
}  // namespace kumoito
