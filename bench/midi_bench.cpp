// Timing of the player against the real timer service (recording output),
// plain and looping at 75 % speed, and the cost of building, writing and reading back the largest
// performance.

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "midi/offline_render.h"
#include "midi/performance.h"
#include "midi/player.h"
#include "midi/smf.h"
#include "midi/timer_service.h"
#include "midi/track_ops.h"
#include "song/song_data.h"
#include "tests/midi/player_test_util.h"
#include "tests/midi/recording_midi_out.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;

std::unique_ptr<CSongData> FullSong(int measures) {
  auto song = SongOf(measures);
  for (int c = 0; c < song->CellCount(); ++c)
    SetCell(*song, c, 60 + c % 12, 62, 64);
  return song;
}

// A 60-second song (20 measures at 80 bpm) played in real time; the error of
// every note on and off against its ideal time from the first note on.
void BM_PlayerTimingError(benchmark::State& state) {
  auto song = FullSong(20);
  auto performance = PerformanceOf(*song, 80);
  for (auto _ : state) {
    RealTimerService timer;
    auto log = std::make_shared<RecordingLog>([&timer] { return timer.NowUs(); });
    SetMidiOutSystem(std::make_shared<RecordingSystem>(log));
    Player player(timer, FastSleep);
    player.StartPlayback(*performance);
    while (!player.IsFinished())
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    player.StopPlayback(*performance);
    SetMidiOutSystem(nullptr);

    std::vector<std::int64_t> times;
    for (const auto& m : log->Messages()) {
      const int kind = m.bytes[0] & 0xF0;
      if (kind == 0x80 || kind == 0x90)
        times.push_back(m.timeUs);
    }
    std::vector<double> errors;
    for (std::size_t i = 0; i < times.size(); ++i) {
      const std::int64_t tick = static_cast<std::int64_t>(i / 2) * 16 + (i % 2 ? 4 : 0);
      const std::int64_t ideal = times[0] + tick * 60'000'000 / (96 * 80);
      errors.push_back(std::abs(static_cast<double>(times[i] - ideal)) / 1000.0);
    }
    const double last = errors.back();
    std::sort(errors.begin(), errors.end());
    state.counters["events"] = static_cast<double>(errors.size());
    state.counters["median_ms"] = errors[errors.size() / 2];
    state.counters["p99_ms"] = errors[errors.size() * 99 / 100];
    state.counters["max_ms"] = errors.back();
    state.counters["last_event_ms"] = last;
    state.counters["realtime"] = timer.RealTime() ? 1 : 0;
  }
}
BENCHMARK(BM_PlayerTimingError)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Practice: a two-measure loop at 75 % speed (80 bpm played at 60) for 60
// seconds, 15 rounds of the loop; the error of every note on and off against
// its ideal time from the first note on, seams included. "drift_ms" is the
// mean error of the last 100 events less that of the first 100.
void BM_PracticeLoopTimingError(benchmark::State& state) {
  auto song = FullSong(2);
  auto performance = PerformanceOf(*song, 80);
  PlayOptions options;
  options.speed = 75;
  options.startTick = 0;
  options.loopEndTick = 2 * 4 * kPlayerDivision;
  constexpr std::int64_t kRunUs = 60'000'000;
  for (auto _ : state) {
    RealTimerService timer;
    auto log = std::make_shared<RecordingLog>([&timer] { return timer.NowUs(); });
    SetMidiOutSystem(std::make_shared<RecordingSystem>(log));
    Player player(timer, FastSleep);
    const std::int64_t began = timer.NowUs();
    player.StartPlayback(*performance, options);
    while (timer.NowUs() - began < kRunUs)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    player.StopPlayback(*performance);
    SetMidiOutSystem(nullptr);

    std::vector<std::int64_t> times;
    for (const auto& m : log->Messages()) {
      const int kind = m.bytes[0] & 0xF0;
      if (kind == 0x80 || kind == 0x90)
        times.push_back(m.timeUs);
    }
    // One tick at 60 bpm effective: 60e6 / (96 * 60) us.
    std::vector<double> errors;
    std::vector<double> signedErrors;
    for (std::size_t i = 0; i < times.size(); ++i) {
      const std::int64_t tick = static_cast<std::int64_t>(i / 2) * 16 + (i % 2 ? 4 : 0);
      const double ideal = static_cast<double>(times[0]) + tick * 60'000'000.0 / (96.0 * 60.0);
      signedErrors.push_back((static_cast<double>(times[i]) - ideal) / 1000.0);
      errors.push_back(std::abs(signedErrors.back()));
    }
    const std::size_t n = std::min<std::size_t>(100, signedErrors.size() / 2);
    double head = 0, tail = 0;
    for (std::size_t i = 0; i < n; ++i) {
      head += signedErrors[i];
      tail += signedErrors[signedErrors.size() - 1 - i];
    }
    const double last = errors.back();
    std::sort(errors.begin(), errors.end());
    state.counters["events"] = static_cast<double>(errors.size());
    state.counters["median_ms"] = errors[errors.size() / 2];
    state.counters["p99_ms"] = errors[errors.size() * 99 / 100];
    state.counters["max_ms"] = errors.back();
    state.counters["last_event_ms"] = last;
    state.counters["drift_ms"] = n == 0 ? 0 : (tail - head) / static_cast<double>(n);
    state.counters["realtime"] = timer.RealTime() ? 1 : 0;
  }
}
BENCHMARK(BM_PracticeLoopTimingError)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The largest song (1024 beats, every slot pitched): build, write, read back.
void BM_BuildWriteRead(benchmark::State& state) {
  auto song = FullSong(256);
  const std::string path = TempPath("bench_play.dat");
  for (auto _ : state) {
    BuildPerformance(path, 120, *song);
    MidiSequence s;
    ReadSequenceFile(s, path);
    benchmark::DoNotOptimize(s.track->EventCount());
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_BuildWriteRead)->Unit(benchmark::kMillisecond);

}  // namespace
// A 60-second song (30 measures of quarter notes at 120) rendered to WAV;
// x_real_time is the song's length over the time it took.
void BM_ExportWav60Seconds(benchmark::State& state) {
  ::setenv("KUMOITO_MODULE_DIR", KUMOITO_MODULES, 0);
  std::int32_t beats = 4, key = 0, measures = 30;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  for (int n = 0; n < 120; ++n) {
    song->m_cells[n * 2].pitch[0] = 60 + (n * 5) % 12;
    song->m_cells[n * 2].pitch[1] = SLOT_HOLD;
    song->m_cells[n * 2 + 1].pitch[0] = SLOT_HOLD;
    song->m_cells[n * 2 + 1].pitch[1] = SLOT_HOLD;
  }
  song->m_info.tempo = 120;
  const auto path = std::filesystem::temp_directory_path() /
                    ("kumoito-wav-bench-" + std::to_string(::getpid()) + ".wav");
  std::string why;
  double seconds = 0;
  std::int64_t runs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!midi::ExportPerformanceWav(*song, path.string(), why)) {
      state.SkipWithError(why.c_str());
      break;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++runs;
  }
  if (runs > 0) {
    state.counters["x_real_time"] = 60.0 * static_cast<double>(runs) / seconds;
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportWav60Seconds)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace kumoito::midi

BENCHMARK_MAIN();
