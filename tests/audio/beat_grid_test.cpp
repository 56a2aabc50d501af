#include "audio/transcribe/beat_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace kumoito::audio {
namespace {

// Onsets at positions given in twelfths of a beat, from start seconds.
std::vector<double> At(const std::vector<int>& twelfths, double bpm, double start,
                       double jitter = 0.0) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> shake(-jitter, jitter);
  std::vector<double> onsets;
  for (int t : twelfths) {
    onsets.push_back(start + t * 60.0 / bpm / 12.0 + shake(random));
  }
  return onsets;
}

// A tune of quarters, eighths, a dotted rhythm and sixteenths, 8 measures.
std::vector<int> Tune() {
  std::vector<int> positions;
  const std::vector<int> measure = {0, 12, 18, 24, 33, 36, 39, 42};
  for (int m = 0; m < 8; ++m) {
    for (int p : measure) {
      positions.push_back(m * 48 + p);
    }
  }
  return positions;
}

// A slow tune in sixteenths reads as well at twice the tempo in eighths:
// either is right as long as every note keeps its time.
TEST(BeatGrid, FindsTheTempoAndBeatOfATuneAtEachPace) {
  for (int bpm : {60, 76, 90, 112, 132, 150}) {
    for (double jitter : {0.0, 0.008}) {
      const std::vector<double> onsets = At(Tune(), bpm, 0.37, jitter);
      const BeatGrid grid = EstimateBeatGrid(onsets);
      if (bpm >= 90 && bpm <= 132) {
        EXPECT_EQ(grid.bpm, bpm) << " jitter " << jitter;
      } else {
        EXPECT_TRUE(grid.bpm == bpm || grid.bpm == 2 * bpm || 2 * grid.bpm == bpm) << grid.bpm;
      }
      EXPECT_NEAR(grid.origin, 0.37, 0.01) << bpm;
      const std::vector<std::int64_t> steps = QuantiseOnsets(onsets, grid);
      const std::vector<int> tune = Tune();
      ASSERT_EQ(steps.size(), tune.size());
      for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i] * bpm, tune[i] * grid.bpm) << bpm << " note " << i;
      }
    }
  }
}

TEST(BeatGrid, OnlyQuarterNotesAreBeatsNotDottedEighths) {
  // 120 bpm quarters also fit 90 bpm dotted eighths and 60 bpm eighths
  // exactly; the plainer reading wins.
  std::vector<int> quarters;
  for (int i = 0; i < 32; ++i) {
    quarters.push_back(i * 12);
  }
  EXPECT_EQ(EstimateBeatGrid(At(quarters, 120, 0.1)).bpm, 120);
}

TEST(BeatGrid, TripletBeatsGoToThirdsAndOthersToSixteenths) {
  // Beat 0: sixteenths; beat 1: triplet eighths; beat 2: eighths; beat 3: a triplet's last two.
  const std::vector<int> positions = {0, 3, 6, 9, 12, 16, 20, 24, 30, 40, 44};
  std::vector<int> tune;
  for (int m = 0; m < 4; ++m) {
    for (int p : positions) {
      tune.push_back(m * 48 + p);
    }
  }
  const std::vector<double> onsets = At(tune, 80, 0.2, 0.004);
  BeatGrid grid;
  grid.bpm = 80;
  grid.origin = 0.2;
  const std::vector<std::int64_t> steps = QuantiseOnsets(onsets, grid);
  ASSERT_EQ(steps.size(), tune.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i], tune[i]) << "note " << i;
  }
}

TEST(BeatGrid, OnsetsThatMeetOnAPointStayApart) {
  BeatGrid grid;
  grid.bpm = 60;
  // Three onsets within 30 ms all round to the beat.
  const std::vector<std::int64_t> steps = QuantiseOnsets({1.0, 1.01, 1.03, 2.0}, grid);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0], 12);
  EXPECT_EQ(steps[1], 15);
  EXPECT_EQ(steps[2], 18);
  EXPECT_EQ(steps[3], 24);
}

TEST(BeatGrid, FewOnsetsGiveAGridStill) {
  EXPECT_EQ(EstimateBeatGrid({}).fit, 0.0);
  const BeatGrid one = EstimateBeatGrid({0.5});
  EXPECT_EQ(one.origin, 0.5);
  EXPECT_GE(one.bpm, kMinGridBpm);
  EXPECT_LE(one.bpm, kMaxGridBpm);
}

}  // namespace
}  // namespace kumoito::audio
