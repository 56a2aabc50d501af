#pragma once
// The Play command without a window: builds play.dat from the song, reads it
// back, hands it to the player and restores everything at the end. Holds the
// playing flag, the idle output (open while nothing plays) and the current
// performance. The window supplies callbacks: the Play button's caption, a
// queue that runs a task on the GUI thread after a delay, and the cursor,
// told on the GUI thread which slot of the song sounds.
//
// Thread-safety: every public member runs on the GUI thread, and none of
// them waits for the player: starting, stopping (with its polls and pause)
// and reopening the idle output run in order on an output thread of the
// controller's own, which alone touches the player and the idle output. The
// end of a song is noticed on the player thread, which only queues a task to
// the GUI thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/task_thread.h"
#include "common/ui_text.h"
#include "midi/midi_event.h"
#include "midi/midi_out.h"
#include "midi/player.h"
#include "midi/timer_service.h"

namespace kumoito {
class CSongData;
}

namespace kumoito::midi {

inline constexpr std::string_view kPlayCaption = Ui::Mark("   再　生");
inline constexpr std::string_view kStopCaption = Ui::Mark("   停　止");
inline constexpr std::chrono::milliseconds kReopenDelay{3000};
inline constexpr std::int32_t kIdleProgram = 107;
// The cursor's "nothing plays".
inline constexpr std::int64_t kNoCursor = -1;

// How the learner wants the song played; measures are 1-based.
struct PracticeSettings {
  std::int32_t speed = 100;  // kMinSpeed..kMaxSpeed in kSpeedStep steps
  bool loop = false;
  std::int32_t loopFirstMeasure = 1;
  std::int32_t loopLastMeasure = 1;
  bool countIn = false;  // one measure of clicks first
  // The clicks' loudness in percent of kClickVelocity; a setting of its own,
  // not kept with the others in practice.ini.
  std::int32_t countInLevel = 100;
};

// The player's options for song from measure number and beat position
// (sixteenths, 1-based, as the note input tool counts them); a loop starts
// at its own first measure. Measures outside the song are brought inside.
PlayOptions PracticeOptions(const CSongData& song, const PracticeSettings& practice,
                            int startMeasure, int startBeat);

class PerformanceMap;

class PlaybackController {
 public:
  struct Callbacks {
    // Sets the Play button's caption and redraws the buttons (GUI thread).
    std::function<void(std::string_view caption)> setCaption;
    // Runs task on the GUI thread after delay; may be called from any thread.
    std::function<void(std::function<void()> task, std::chrono::milliseconds delay)> post;
    // Tells the user why Play made no sound (GUI thread); called each time a
    // playback finds no output, the window choosing how loudly to say it
    // again. Optional.
    std::function<void(std::string_view why)> noSound;
    // The slot of the song that sounds now, or kNoCursor once playback has
    // stopped (GUI thread). Optional.
    std::function<void(std::int64_t slot)> cursor;
    // Tells the user that play.dat could be written nowhere: the last path
    // tried and why (GUI thread); nothing plays. Optional.
    std::function<void(const std::string& path, std::string_view why)> notWritten;
  };

  // play.dat goes to startupFolder, or to fallbackFolder (created when
  // needed) when the start-up folder cannot take it.
  PlaybackController(std::string startupFolder, std::string fallbackFolder, TimerService& timer,
                     Callbacks callbacks, Player::SleepFunction sleep = {});
  // Stops a playing song first, so the player never reads freed data.
  ~PlaybackController();
  PlaybackController(const PlaybackController&) = delete;
  PlaybackController& operator=(const PlaybackController&) = delete;

  // The Play button: starts when nothing plays (and a song is loaded), else stops.
  void Play(const CSongData* song);
  // The same, starting a stopped song at startMeasure and startBeat with the
  // practice settings.
  void Play(const CSongData* song, const PracticeSettings& practice, int startMeasure,
            int startBeat);
  // The speed of the playback under way, at once, and of the next ones.
  void SetSpeed(std::int32_t percent);
  // Frees the performance and reopens the idle output with program 107.
  void ResetMidiOut();

  bool IsPlaying() const { return m_playing; }
  // Where play.dat goes in the start-up folder, and in the fallback folder.
  std::string PlayDataPath() const;
  std::string FallbackPlayDataPath() const;
  // Returns once the output work asked for so far has been done.
  void WaitForOutput();
  // True while output work asked for has not been done.
  bool OutputBusy() const;
  // The idle output; only to be looked at after WaitForOutput.
  MidiOut& IdleOut() { return m_idleOut; }
  const MidiSequence* CurrentPerformance() const { return m_performance.get(); }

 private:
  // The Play caption back, the player stopped, the flag cleared.
  void StopAndRestoreCaption();
  void OnPlaybackEnded(std::uint64_t generation);              // player thread
  void HandlePlaybackEnded(std::uint64_t generation);          // GUI thread
  void OnCursor(std::uint64_t generation, std::int64_t slot);  // timer thread
  void Start(const CSongData& song, const PlayOptions& options);

  std::string m_startupFolder;
  std::string m_fallbackFolder;
  Callbacks m_callbacks;
  Player m_player;
  bool m_playing = false;
  MidiOut m_idleOut;
  std::shared_ptr<MidiSequence> m_performance;  // the one playing; GUI thread
  std::unique_ptr<PerformanceMap> m_map;        // of the last start; GUI thread
  // Counts playbacks, so an end notice of an earlier one is ignored.
  std::atomic<std::uint64_t> m_generation{0};
  std::atomic<std::int32_t> m_speed{100};  // of the next start
  // Cleared by the destructor, so tasks still queued do nothing.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
  // Last, so that it ends before anything its tasks use.
  TaskThread m_output;
};

}  // namespace kumoito::midi
