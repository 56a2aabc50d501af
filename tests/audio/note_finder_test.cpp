#include "audio/transcribe/note_finder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/transcribe/beat_grid.h"
#include "tests/audio/audio_test_util.h"

namespace kumoito::audio {
namespace {

using test::SoxNote;

// Sakura's first phrase and a run with repeated notes, a rest, sixteenths
// and a leap of more than an octave.
const std::vector<SoxNote> kPhrase = {{"A3", 4},    {"A3", 4}, {"B3", 8}, {"A3", 4}, {"A3", 4},
                                      {"B3", 8},    {"A3", 4}, {"B3", 4}, {"C4", 4}, {"B3", 4},
                                      {nullptr, 4}, {"A3", 2}, {"B3", 2}, {"A3", 4}, {"F3", 12},
                                      {"E3", 4},    {"C3", 2}, {"E3", 2}, {"A4", 4}, {"E3", 8}};

int MidiNumber(const char* name) {
  static const int offsets[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  return 12 * (name[1] - '0' + 1) + offsets[name[0] - 'A'];
}

TEST(NoteFinder, HearsEverySoxPluckAtSeveralTemposWithNoise) {
  if (!test::HaveSox()) {
    GTEST_SKIP() << "sox is not installed";
  }
  for (double bpm : {72.0, 100.0, 138.0}) {
    for (double noise : {0.0, 0.02}) {
      const std::string path = test::TempPath("phrase.wav");
      const std::vector<double> onsets = test::MakeSoxSequence(path, kPhrase, bpm, noise);
      ASSERT_FALSE(onsets.empty());
      std::string why;
      const auto clip = DecodeSound(test::ReadBytes(path), why);
      ASSERT_TRUE(clip) << why;
      const std::vector<HeardNote> heard = FindNotes(*clip);
      ASSERT_EQ(heard.size(), onsets.size()) << bpm << " bpm, noise " << noise;
      std::size_t k = 0;
      for (const SoxNote& n : kPhrase) {
        if (n.name == nullptr) {
          continue;
        }
        EXPECT_NEAR(heard[k].onset, onsets[k], 0.02) << "note " << k << " at " << bpm;
        EXPECT_EQ(heard[k].pitch, MidiNumber(n.name)) << "note " << k << " at " << bpm;
        EXPECT_LT(std::abs(heard[k].note - heard[k].pitch), 0.15) << "note " << k;
        ++k;
      }
      std::vector<double> found;
      for (const HeardNote& h : heard) {
        found.push_back(h.onset);
      }
      const BeatGrid grid = EstimateBeatGrid(found);
      // The grid's time for each note within half a sixteenth of the truth.
      const std::vector<std::int64_t> steps = QuantiseOnsets(found, grid);
      for (std::size_t i = 0; i < steps.size(); ++i) {
        const double seconds = grid.origin + steps[i] * grid.BeatSeconds() / kGridSteps;
        EXPECT_NEAR(seconds, onsets[i], 60.0 / bpm / 8.0) << "note " << i << " at " << bpm;
      }
    }
  }
}

TEST(NoteFinder, ANoteStruckAtTheFirstSampleIsHeard) {
  test::ToneShape pluck;
  pluck.harmonics = {1.0, 0.6, 0.4};
  pluck.decaySeconds = 0.4;
  SoundClip clip;
  clip.samples = test::MakeTone(196.0, 0.6, 44100.0, pluck);
  const std::vector<HeardNote> heard = FindNotes(clip);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_LT(heard[0].onset, 0.01);
  EXPECT_EQ(heard[0].pitch, 55);
}

TEST(NoteFinder, SilenceAndHissHoldNoNotes) {
  SoundClip clip;
  clip.samples.assign(44100, 0.0f);
  EXPECT_TRUE(FindNotes(clip).empty());
  test::ToneShape hiss;
  hiss.amplitude = 0.0;
  hiss.noise = 0.05;
  clip.samples = test::MakeTone(100.0, 1.0, 44100.0, hiss);
  EXPECT_TRUE(FindNotes(clip).empty());
  clip.samples.resize(10);
  EXPECT_TRUE(FindNotes(clip).empty());
}

}  // namespace
}  // namespace kumoito::audio
