#include "audio/tuner/tuner_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/audio/audio_test_util.h"

namespace kumoito::audio {
namespace {

// 本調子 with 一の糸 at C: C3 F3 C4.
const std::array<int, 3> kHon = {48, 53, 60};

TEST(TunerModel, NamesTheStringOctaveAndCents) {
  struct Case {
    double hz;
    int string;
    int octave;
    double cents;
  };
  const Case cases[] = {
      {130.81, 0, 0, 0.0},
      {261.63, 2, 0, 0.0},
      {65.41, 0, -1, 0.0},
      {523.25, 2, 1, 0.0},
      {174.61 * std::exp2(20.0 / 1200), 1, 0, 20.0},
      {130.81 * std::exp2(-35.0 / 1200), 0, 0, -35.0},
      // Nearer F3 an octave up than C4 itself.
      {349.23 * std::exp2(-10.0 / 1200), 1, 1, -10.0},
  };
  for (const Case& c : cases) {
    const TunerReading r = NamePitch(c.hz, kHon);
    EXPECT_EQ(r.string, c.string) << c.hz;
    EXPECT_EQ(r.octave, c.octave) << c.hz;
    EXPECT_NEAR(r.cents, c.cents, 0.2) << c.hz;
  }
  // 三下り at A (A3 D4 G4): the third string two semitones below an octave.
  const TunerReading g = NamePitch(392.0, {57, 62, 67});
  EXPECT_EQ(g.string, 2);
  EXPECT_EQ(g.octave, 0);
}

std::vector<float> SilenceThen(const std::vector<float>& tone, double seconds, double rate) {
  std::vector<float> x(static_cast<std::size_t>(seconds * rate), 0.0f);
  x.insert(x.end(), tone.begin(), tone.end());
  return x;
}

// Fed in capture-sized blocks; the first reading of the right string within
// ten cents, in stream seconds after the note began.
double SecondsToName(TunerModel& tuner, const std::vector<float>& x, double onset, double rate,
                     int string, double cents) {
  const std::size_t block = 240;
  for (std::size_t at = 0; at < x.size(); at += block) {
    tuner.Feed(x.data() + at, std::min(block, x.size() - at));
    const TunerReading r = tuner.Latest();
    if (r.heard && r.string == string && r.octave == 0 && std::abs(r.cents - cents) <= 10.0) {
      return static_cast<double>(at + block) / rate - onset;
    }
  }
  return 1e9;
}

TEST(TunerModel, APluckedStringIsNamedWithinFortyMillisecondsOfTheSound) {
  test::ToneShape pluck;
  pluck.harmonics = {1.0, 0.7, 0.5, 0.4, 0.3};
  pluck.decaySeconds = 0.8;
  pluck.buzz = 0.2;
  pluck.noise = 0.003;
  for (double rate : {44100.0, 48000.0}) {
    for (int s = 0; s < 3; ++s) {
      TunerModel tuner(rate, kHon);
      const double hz = NoteToHz(kHon[s]) * std::exp2(15.0 / 1200);
      const std::vector<float> x = SilenceThen(test::MakeTone(hz, 0.5, rate, pluck), 0.3, rate);
      const double latency = SecondsToName(tuner, x, 0.3, rate, s, 15.0);
      EXPECT_LT(latency, 0.040) << "string " << s + 1 << " at " << rate;
      // Once settled the needle is within three cents.
      const TunerReading settled = tuner.Latest();
      std::vector<float> more = test::MakeTone(hz, 0.3, rate, pluck, 9);
      tuner.Feed(more.data(), more.size());
      EXPECT_NEAR(tuner.Latest().cents, 15.0, 3.0) << "string " << s + 1;
      EXPECT_TRUE(settled.heard);
    }
  }
}

TEST(TunerModel, AReadingIsHeldBrieflyAfterTheSoundStops) {
  TunerModel tuner(48000.0, kHon);
  const std::vector<float> tone = test::MakeTone(174.61, 0.3, 48000.0, test::ToneShape{});
  tuner.Feed(tone.data(), tone.size());
  ASSERT_TRUE(tuner.Latest().heard);
  EXPECT_EQ(tuner.Latest().string, 1);
  const std::vector<float> silence(static_cast<std::size_t>(0.4 * 48000), 0.0f);
  tuner.Feed(silence.data(), silence.size());
  EXPECT_TRUE(tuner.Latest().heard);  // within the hold
  tuner.Feed(silence.data(), silence.size());
  EXPECT_FALSE(tuner.Latest().heard);
  // A new tuning forgets what was heard under the old one.
  tuner.Feed(tone.data(), tone.size());
  tuner.SetStrings({57, 62, 69});
  EXPECT_FALSE(tuner.Latest().heard);
  EXPECT_EQ(tuner.Strings()[2], 69);
}

}  // namespace
}  // namespace kumoito::audio
