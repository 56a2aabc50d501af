#include "midi/playback_controller.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/file_util.h"
#include "midi/performance.h"
#include "midi/smf.h"
#include "song/song_data.h"

namespace kumoito::midi {

PlaybackController::PlaybackController(std::string startupFolder, std::string fallbackFolder,
                                       TimerService& timer, Callbacks callbacks,
                                       Player::SleepFunction sleep)
    : m_startupFolder(std::move(startupFolder)),
      m_fallbackFolder(std::move(fallbackFolder)),
      m_callbacks(std::move(callbacks)),
      m_player(timer, std::move(sleep)) {}

PlaybackController::~PlaybackController() {
  *m_alive = false;
  std::shared_ptr<MidiSequence> playing = m_playing ? m_performance : nullptr;
  m_playing = false;
  m_output.Post([this, playing] {
    if (playing) {
      m_player.StopPlayback(*playing);
    }
    CloseMidiOut(m_idleOut);
  });
  // The player's thread and timers end before the performance they read.
  m_output.WaitUntilIdle();
}

std::string PlaybackController::PlayDataPath() const {
  return JoinPath(m_startupFolder, "play.dat");
}

std::string PlaybackController::FallbackPlayDataPath() const {
  return m_fallbackFolder.empty() ? std::string() : JoinPath(m_fallbackFolder, "play.dat");
}

void PlaybackController::ResetMidiOut() {
  m_performance.reset();
  m_output.Post([this] {
    CloseMidiOut(m_idleOut);
    OpenMidiOut(m_idleOut);
    SendProgramChange(kIdleProgram, 0, m_idleOut);
  });
}

void PlaybackController::WaitForOutput() {
  m_output.WaitUntilIdle();
}

bool PlaybackController::OutputBusy() const {
  return m_output.Busy();
}

PlayOptions PracticeOptions(const CSongData& song, const PracticeSettings& practice,
                            int startMeasure, int startBeat) {
  PlayOptions o;
  o.speed = std::clamp(practice.speed, kMinSpeed, kMaxSpeed);
  const std::int64_t beats = std::max<std::int64_t>(song.m_beatsPerMeasure, 1);
  const std::int64_t measureTicks = beats * kPlayerDivision;
  const int lastMeasure = std::max(song.m_measureCount, 1);
  // Measures of the score name their first pass in the performance, which
  // plays repeats unfolded; a loop ends with the first pass of its last
  // measure from there on.
  const PerformanceMap map(song);
  const int played = map.PlayedCount() > 0 ? map.PlayedCount() : lastMeasure;
  const auto pass = [&map](int measure, int from) {
    const int found = map.FirstPass(measure, from);
    return found >= 0 ? found : measure;
  };
  if (practice.loop) {
    const int first = std::clamp(practice.loopFirstMeasure, 1, lastMeasure);
    const int last = std::clamp(practice.loopLastMeasure, first, lastMeasure);
    const int firstPass = pass(first - 1, 0);
    const int lastPass = std::max(pass(last - 1, firstPass), firstPass);
    o.startTick = firstPass * measureTicks;
    o.loopEndTick = (lastPass + 1) * measureTicks;
  } else {
    // Two beat positions to a half-beat cell of three slots, as the tool
    // writes them.
    const int measure = std::clamp(startMeasure, 1, lastMeasure);
    const int beat = std::clamp(startBeat, 1, 16);
    const std::int64_t cell = pass(measure - 1, 0) * beats * 2 + (beat - 1) / 2;
    o.startTick =
        std::min((cell * kSlotsPerCell + (beat - 1) % 2) * kSlotTicks, played * measureTicks);
  }
  if (practice.countIn) {
    o.countInBeats = static_cast<std::int32_t>(beats);
    o.beatTicks = kPlayerDivision;
    o.clickVelocity = kClickVelocity * std::clamp(practice.countInLevel, 0, 100) / 100;
  }
  return o;
}

void PlaybackController::Play(const CSongData* song) {
  Play(song, PracticeSettings{}, 1, 1);
}

void PlaybackController::SetSpeed(std::int32_t percent) {
  m_speed = std::clamp(percent, kMinSpeed, kMaxSpeed);
  // The player takes it at once (its lock is never held across a send), so
  // the GUI thread does not wait for the output thread's queue.
  m_player.SetSpeed(percent);
}

void PlaybackController::OnCursor(std::uint64_t generation, std::int64_t slot) {
  if (!m_callbacks.post || !m_callbacks.cursor) {
    return;
  }
  std::weak_ptr<bool> alive = m_alive;
  m_callbacks.post(
      [this, alive, generation, slot] {
        if (auto a = alive.lock(); a && *a && generation == m_generation && m_playing) {
          // The performance plays repeats unfolded; the cursor shows the
          // score's slot of the pass that sounds.
          m_callbacks.cursor(m_map ? m_map->SongSlot(slot) : slot);
        }
      },
      std::chrono::milliseconds(0));
}

void PlaybackController::Play(const CSongData* song, const PracticeSettings& practice,
                              int startMeasure, int startBeat) {
  if (!m_playing) {
    if (song == nullptr) {
      return;
    }
    Start(*song, PracticeOptions(*song, practice, startMeasure, startBeat));
    return;
  }
  StopAndRestoreCaption();
  ++m_generation;  // an end notice already queued belongs to this playback
  ResetMidiOut();
}

void PlaybackController::Start(const CSongData& song, const PlayOptions& options) {
  // The song is read here, on the GUI thread that edits it; the output
  // thread gets a performance of its own. Only what this Play wrote is
  // read back: a play.dat that could not be replaced holds another song.
  const auto writeError = [] {
    const std::error_code why = LastWriteError();
    return why ? why.message() : std::string("the performance cannot be written");
  };
  std::string path = PlayDataPath();
  if (!BuildPerformance(path, song.m_info.tempo, song)) {
    std::string why = writeError();
    if (const std::string fallback = FallbackPlayDataPath(); !fallback.empty()) {
      path = fallback;
      if (!MakeDirectories(m_fallbackFolder)) {
        why = std::make_error_code(std::errc::not_a_directory).message();
      } else if (BuildPerformance(path, song.m_info.tempo, song)) {
        why.clear();
      } else {
        why = writeError();
      }
    }
    if (!why.empty()) {
      // Silence with a Play caption would look like a song without notes.
      if (m_callbacks.notWritten) {
        m_callbacks.notWritten(path, why);
      }
      return;
    }
  }
  m_playing = true;
  m_map = std::make_unique<PerformanceMap>(song);
  if (m_callbacks.setCaption) {
    m_callbacks.setCaption(kStopCaption);
  }
  auto performance = std::make_shared<MidiSequence>(kBufferCapacity);
  ReadSequenceFile(*performance, path, kBufferCapacity);
  m_performance = performance;
  m_speed = options.speed;
  const std::uint64_t generation = ++m_generation;
  m_output.Post([this, performance, generation, start = options]() mutable {
    CloseMidiOut(m_idleOut);
    m_player.SetEndNotification([this, generation] { OnPlaybackEnded(generation); });
    m_player.SetCursorCallback(
        [this, generation](std::int64_t slot) { OnCursor(generation, slot); });
    // A speed chosen while this task waited counts too.
    start.speed = m_speed.load();
    m_player.StartPlayback(*performance, start);
  });
}

void PlaybackController::StopAndRestoreCaption() {
  if (m_callbacks.setCaption) {
    m_callbacks.setCaption(kPlayCaption);
  }
  if (m_callbacks.cursor) {
    m_callbacks.cursor(kNoCursor);
  }
  // Stopping waits for the player (polls, then a pause of a second): it runs
  // on the output thread, and the task keeps the performance alive until then.
  if (std::shared_ptr<MidiSequence> performance = std::move(m_performance)) {
    m_output.Post([this, performance] { m_player.StopPlayback(*performance); });
  }
  m_playing = false;
}

void PlaybackController::OnPlaybackEnded(std::uint64_t generation) {
  if (!m_callbacks.post) {
    return;
  }
  std::weak_ptr<bool> alive = m_alive;
  m_callbacks.post(
      [this, alive, generation] {
        if (auto a = alive.lock(); a && *a) {
          HandlePlaybackEnded(generation);
        }
      },
      std::chrono::milliseconds(0));
}

void PlaybackController::HandlePlaybackEnded(std::uint64_t generation) {
  if (generation != m_generation || !m_playing) {
    return;  // stopped by hand, or a newer playback runs
  }
  StopAndRestoreCaption();
  std::weak_ptr<bool> alive = m_alive;
  // Reopening the idle output waits three seconds; a playback started in the
  // meantime keeps its performance.
  m_callbacks.post(
      [this, alive] {
        if (auto a = alive.lock(); a && *a && !m_playing) {
          ResetMidiOut();
        }
      },
      kReopenDelay);
  // Last, as the window may answer with a modal message box.
  if (m_player.OutputMissing() && m_callbacks.noSound) {
    m_callbacks.noSound(WhyNoMidiOutput());
  }
}

}  // namespace kumoito::midi
