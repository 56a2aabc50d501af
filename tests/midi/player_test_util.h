#pragma once
// A player wired to a manual timer and a recording output, plus a helper that
// turns a song into the performance the Play command would hand over.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "midi/midi_event.h"
#include "midi/performance.h"
#include "midi/player.h"
#include "midi/smf.h"
#include "midi/timer_service.h"
#include "song/song_data.h"
#include "tests/midi/recording_midi_out.h"

namespace kumoito::midi::testing {

inline void FastSleep(std::chrono::milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

inline std::unique_ptr<CSongData> SongOf(int measures) {
  std::int32_t b = 4, key = 0, m = measures;
  return CSongData::LoadOrCreate("", b, key, m);
}

inline void SetCell(CSongData& song, int cell, std::int32_t s0, std::int32_t s1,
                    std::int32_t s2 = SLOT_NONE) {
  auto& c = song.m_cells[static_cast<std::size_t>(cell)];
  c.pitch[0] = s0;
  c.pitch[1] = s1;
  c.pitch[2] = s2;
}

inline std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("kumoito_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

// Build, write and read back, as the Play command does.
inline std::unique_ptr<MidiSequence> PerformanceOf(const CSongData& song, int bpm) {
  const std::string path = TempPath("perf.dat");
  BuildPerformance(path, bpm, song);
  auto s = std::make_unique<MidiSequence>();
  ReadSequenceFile(*s, path);
  std::remove(path.c_str());
  return s;
}

struct PlayerRig {
  PlayerRig()
      : log(std::make_shared<RecordingLog>([this] { return timer.NowUs(); })),
        system(std::make_shared<RecordingSystem>(log)),
        player(timer, FastSleep) {
    SetMidiOutSystem(system);
    player.SetEndNotification([this] { ++ended; });
  }
  ~PlayerRig() { SetMidiOutSystem(nullptr); }

  // Runs the timer chain to its end and waits for the player thread.
  bool RunToEnd() {
    for (int i = 0; i < 10000 && !player.IsFinished(); ++i) {
      if (!timer.RunNext()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    return player.IsFinished();
  }

  ManualTimerService timer;
  std::shared_ptr<RecordingLog> log;
  std::shared_ptr<RecordingSystem> system;
  Player player;
  std::atomic<int> ended{0};
};

}  // namespace kumoito::midi::testing
