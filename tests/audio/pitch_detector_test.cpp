#include "audio/pitch/pitch_detector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/sound_file.h"
#include "tests/audio/audio_test_util.h"

namespace kumoito::audio {
namespace {

using test::MakeTone;
using test::ToneShape;

struct Track {
  std::vector<PitchEstimate> frames;
  std::vector<double> starts;  // seconds
};

Track Follow(const std::vector<float>& samples, double sampleRate, double fromSeconds,
             double toSeconds, PitchSettings settings = {}) {
  settings.sampleRate = sampleRate;
  PitchDetector detector(settings);
  Track track;
  const std::size_t hop = static_cast<std::size_t>(sampleRate / 100);
  for (std::size_t start = static_cast<std::size_t>(fromSeconds * sampleRate);
       start + detector.FrameLength() <= samples.size() &&
       static_cast<double>(start) / sampleRate < toSeconds;
       start += hop) {
    track.frames.push_back(detector.Detect(samples.data() + start));
    track.starts.push_back(static_cast<double>(start) / sampleRate);
  }
  return track;
}

// Largest error in cents over the frames, each frame unvoiced counting as
// an error of 10000 cents, so a silent detector cannot pass.
double WorstCents(const Track& track, double hz) {
  double worst = 0.0;
  for (const PitchEstimate& e : track.frames) {
    worst = std::max(worst, e.voiced ? std::abs(CentsBetween(e.hz, hz)) : 10000.0);
  }
  return track.frames.empty() ? 10000.0 : worst;
}

const std::vector<double> kSteadyPitches = {55.0,   61.7,  82.41,  110.0,  130.81, 174.61, 261.63,
                                            349.23, 440.0, 698.46, 1046.5, 1396.9, 1760.0};

TEST(PitchDetector, SteadySineWithinThreeCentsAcrossTheRange) {
  for (double rate : {44100.0, 48000.0}) {
    for (double hz : kSteadyPitches) {
      const std::vector<float> tone = MakeTone(hz, 0.6, rate, ToneShape{});
      EXPECT_LE(WorstCents(Follow(tone, rate, 0.0, 1.0), hz), 3.0) << hz << " Hz at " << rate;
    }
  }
}

TEST(PitchDetector, RichToneWithWeakFundamentalKeepsItsOctave) {
  ToneShape shape;
  // The second partial is far the loudest, as on a thin shamisen string.
  shape.harmonics = {0.25, 1.0, 0.6, 0.5, 0.3, 0.2, 0.15, 0.1};
  shape.noise = 0.01;
  for (double hz : kSteadyPitches) {
    const std::vector<float> tone = MakeTone(hz, 0.6, 44100.0, shape);
    EXPECT_LE(WorstCents(Follow(tone, 44100.0, 0.0, 1.0), hz), 3.0) << hz << " Hz";
  }
}

TEST(PitchDetector, BuzzingDecayingPluckWithinTenCentsAfterEightyMilliseconds) {
  ToneShape shape;
  shape.harmonics = {1.0, 0.8, 0.7, 0.5, 0.45, 0.3, 0.25, 0.2, 0.15, 0.1};
  shape.decaySeconds = 0.5;
  shape.buzz = 0.3;
  shape.noise = 0.005;
  for (double hz : kSteadyPitches) {
    if (hz > 1400.0) {
      continue;  // above the third string's highest position
    }
    const std::vector<float> tone = MakeTone(hz, 1.0, 44100.0, shape, 7);
    EXPECT_LE(WorstCents(Follow(tone, 44100.0, 0.08, 0.8), hz), 10.0) << hz << " Hz";
  }
}

TEST(PitchDetector, SilenceAndNoiseAreNotVoiced) {
  const std::vector<float> silence(44100, 0.0f);
  ToneShape noiseOnly;
  noiseOnly.amplitude = 0.0;
  noiseOnly.noise = 0.1;
  const std::vector<float> noise = MakeTone(100.0, 1.0, 44100.0, noiseOnly, 3);
  for (const auto* samples : {&silence, &noise}) {
    const Track track = Follow(*samples, 44100.0, 0.0, 1.0);
    ASSERT_FALSE(track.frames.empty());
    const auto voiced = std::count_if(track.frames.begin(), track.frames.end(),
                                      [](const PitchEstimate& e) { return e.voiced; });
    EXPECT_LE(voiced, static_cast<long>(track.frames.size() / 20));
  }
}

TEST(PitchDetector, ClarityFallsAsNoiseRises) {
  ToneShape clean;
  ToneShape noisy;
  noisy.noise = 0.3;
  const Track a = Follow(MakeTone(220.0, 0.3, 44100.0, clean), 44100.0, 0.0, 1.0);
  const Track b = Follow(MakeTone(220.0, 0.3, 44100.0, noisy), 44100.0, 0.0, 1.0);
  ASSERT_FALSE(a.frames.empty());
  ASSERT_FALSE(b.frames.empty());
  EXPECT_GT(a.frames[0].clarity, 0.99);
  EXPECT_LT(b.frames[0].clarity, a.frames[0].clarity - 0.1);
}

// sox's plucked string, with and without noise mixed in, at the shamisen's
// usual pitches.
TEST(PitchDetector, SoxPluckWithinTenCentsAfterEightyMilliseconds) {
  if (!test::HaveSox()) {
    GTEST_SKIP() << "sox is not installed";
  }
  struct Case {
    const char* name;
    double hz;
  };
  const Case cases[] = {{"A2", 110.0}, {"C3", 130.81}, {"F3", 174.61}, {"C4", 261.63},
                        {"G4", 392.0}, {"C5", 523.25}, {"A5", 880.0},  {"E6", 1318.5}};
  for (const Case& c : cases) {
    for (bool noisy : {false, true}) {
      const std::string path = test::TempPath(std::string(c.name) + (noisy ? "n" : "") + ".wav");
      const std::string synth = std::string("synth 1 pluck ") + c.name;
      ASSERT_TRUE(test::RunSox("-n -r 44100 -b 16 -c 1 " + path + " " + synth));
      if (noisy) {
        const std::string noise = test::TempPath("noise.wav");
        ASSERT_TRUE(
            test::RunSox("-n -r 44100 -b 16 -c 1 " + noise + " synth 1 whitenoise vol 0.02"));
        const std::string mixed = test::TempPath("mixed.wav");
        ASSERT_TRUE(test::RunSox("-m " + path + " " + noise + " " + mixed));
        std::rename(mixed.c_str(), path.c_str());
      }
      std::string why;
      const std::optional<SoundClip> clip = DecodeSound(test::ReadBytes(path), why);
      ASSERT_TRUE(clip) << why;
      EXPECT_LE(WorstCents(Follow(clip->samples, clip->sampleRate, 0.08, 0.5), c.hz), 10.0)
          << c.name << (noisy ? " with noise" : "");
    }
  }
}

}  // namespace
}  // namespace kumoito::audio
