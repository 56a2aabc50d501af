// Listening: the pitch detector per frame, the tuner's share of one core
// while it listens, how soon it names a plucked string, and transcription
// speed against real time.

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <numbers>
#include <random>
#include <vector>

#include "audio/pitch/pitch_detector.h"
#include "audio/transcribe/beat_grid.h"
#include "audio/transcribe/note_finder.h"
#include "audio/tuner/tuner_model.h"
#include "import/recording_import.h"

namespace kumoito::audio {
namespace {

// A plucked note: decaying partials and a little noise.
void AddPluck(std::vector<float>& x, std::size_t at, double hz, double seconds, double rate,
              std::mt19937& random) {
  std::normal_distribution<double> noise(0.0, 0.003);
  const auto n = static_cast<std::size_t>(seconds * rate);
  for (std::size_t i = 0; i < n && at + i < x.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = 0.0;
    for (int h = 1; h <= 6; ++h) {
      v += std::sin(2 * std::numbers::pi * hz * h * t) / h;
    }
    x[at + i] += static_cast<float>(0.3 * v * std::exp(-t / 0.5) + noise(random));
  }
}

void BM_PitchDetectorFrame(benchmark::State& state) {
  PitchSettings settings;
  settings.sampleRate = 48000;
  PitchDetector detector(settings);
  std::mt19937 random(1);
  std::vector<float> x(detector.FrameLength() + 10);
  AddPluck(x, 0, 196.0, 1.0, 48000, random);
  for (auto _ : state) {
    benchmark::DoNotOptimize(detector.Detect(x.data()));
  }
}
BENCHMARK(BM_PitchDetectorFrame);

// One second of sound fed as a capture device delivers it; cpu_percent is
// the share of one core the tuner takes.
void BM_TunerOneSecond(benchmark::State& state) {
  const double rate = 48000;
  TunerModel tuner(rate, {48, 53, 60});
  std::mt19937 random(2);
  std::vector<float> x(static_cast<std::size_t>(rate));
  AddPluck(x, 0, 174.61, 1.0, rate, random);
  double busy = 0.0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    for (std::size_t at = 0; at < x.size(); at += 240) {
      tuner.Feed(x.data() + at, 240);
    }
    benchmark::DoNotOptimize(tuner.Latest());
    busy += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  // CPU seconds per second of sound, as a share of one core.
  state.counters["cpu_percent"] = 100.0 * busy / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TunerOneSecond)->Unit(benchmark::kMillisecond);

// Stream time from a pluck after silence to the first reading of its
// string within ten cents, for each string of 本調子 at C.
void BM_TunerNamesAPluck(benchmark::State& state) {
  const double rate = 48000;
  const std::array<int, 3> open = {48, 53, 60};
  double worst = 0.0;
  for (auto _ : state) {
    for (int s = 0; s < 3; ++s) {
      TunerModel tuner(rate, open);
      std::mt19937 random(3);
      std::vector<float> x(static_cast<std::size_t>(0.8 * rate), 0.0f);
      const std::size_t onset = static_cast<std::size_t>(0.3 * rate);
      AddPluck(x, onset, NoteToHz(open[s]), 0.5, rate, random);
      for (std::size_t at = 0; at < x.size(); at += 240) {
        tuner.Feed(x.data() + at, 240);
        const TunerReading r = tuner.Latest();
        if (r.heard && r.string == s && std::abs(r.cents) <= 10.0) {
          worst = std::max(worst, static_cast<double>(at + 240 - onset) / rate);
          break;
        }
      }
    }
  }
  state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_TunerNamesAPluck)->Unit(benchmark::kMillisecond)->Iterations(3);

// A minute of eighth notes at 100 bpm, found, gridded and made a melody;
// x_real_time is the sound's length over the time it took.
void BM_TranscribeMinute(benchmark::State& state) {
  const double rate = 44100;
  SoundClip clip;
  clip.sampleRate = rate;
  clip.samples.assign(static_cast<std::size_t>(61 * rate), 0.0f);
  std::mt19937 random(4);
  const int scale[] = {0, 2, 4, 5, 7, 9, 11, 12};
  for (int n = 0; n < 200; ++n) {
    const std::size_t at = static_cast<std::size_t>((0.5 + n * 0.3) * rate);
    AddPluck(clip.samples, at, NoteToHz(55 + scale[(n * 3) % 8]), 0.3, rate, random);
  }
  for (auto _ : state) {
    const std::vector<HeardNote> heard = FindNotes(clip);
    std::vector<double> onsets;
    for (const HeardNote& h : heard) {
      onsets.push_back(h.onset);
    }
    const BeatGrid grid = EstimateBeatGrid(onsets);
    benchmark::DoNotOptimize(import::MelodyFromHeardNotes(heard, grid));
  }
  state.counters["x_real_time"] = benchmark::Counter(
      61.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TranscribeMinute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito::audio

BENCHMARK_MAIN();
