#pragma once
// The player: plays one performance through an output of its own, on a
// thread of its own, paced by a chain of one-shot timers whose callback
// (CallBackPlayer) sends the due events and arms the timer of the next ones.
// Each timer is due at the time of its event computed from the absolute tick,
// the tempo and the speed, so truncation never accumulates. For practice it
// also plays at another speed, from a position, a range over and over, and
// after a measure of clicks, and tells a cursor which slot of the song sounds.
//
// Thread-safety: StartPlayback and StopPlayback are called from one thread at
// a time (the playback controller's output thread; StopPlayback also from the end notification on
// the player thread). SetSpeed may be called from any thread. The player
// thread and the timer thread share the play state under a mutex that is
// never held while a message goes to the output; the flags polled across
// threads are atomic.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "midi/midi_event.h"
#include "midi/midi_out.h"
#include "midi/timer_service.h"
#include "midi/track_ops.h"

namespace kumoito::midi {

// Playback speed in percent of the song's tempo.
inline constexpr std::int32_t kMinSpeed = 50;
inline constexpr std::int32_t kMaxSpeed = 150;
inline constexpr std::int32_t kSpeedStep = 5;
// A slot of the score is a sixth of a quarter note in the play copy.
inline constexpr std::int64_t kSlotTicks = kPlayerDivision / 6;
// The count-in clicks: GM percussion (channel 10), side stick, soft enough
// that the built-in synthesizer sounds them below the notes they lead into
// (about -12 dBFS against -5 to -9).
inline constexpr std::int32_t kClickChannel = 9;
inline constexpr std::int32_t kClickNote = 37;
inline constexpr std::int32_t kClickVelocity = 44;

// What a practice playback changes. Ticks are those of the play copy (96 per
// quarter), counted from the start of the song. The defaults play the song
// as it stands.
struct PlayOptions {
  std::int32_t speed = 100;       // kMinSpeed..kMaxSpeed
  std::int64_t startTick = 0;     // where playback starts, the state before it chased
  std::int64_t loopEndTick = -1;  // above startTick: startTick..loopEndTick repeats until stopped
  std::int32_t countInBeats = 0;  // clicks before the first note, one a beat
  std::int32_t clickVelocity = kClickVelocity;  // 0: the beats are counted in silence
  std::int32_t beatTicks = kPlayerDivision;
};

// Last program, pitch bend, controllers per channel, tempo and time signature
// before a start position; -1 where none was seen.
struct ChaseState {
  std::int32_t program[kChannelCount];
  std::int32_t bendLow[kChannelCount];
  std::int32_t bendHigh[kChannelCount];
  std::int32_t controller[kChannelCount][128];
  std::int32_t tempo;
  std::int32_t timeSignature;
};

class Player {
 public:
  using EndNotification = std::function<void()>;
  using EventObserver =
      std::function<void(std::int32_t index, std::int64_t tick, const MidiEvent& event)>;
  // Every pause of the polling loops goes through it (tests shorten them; the
  // outcome never depends on their length).
  using SleepFunction = std::function<void(std::chrono::milliseconds)>;
  // Called on the timer thread, with no lock held, after each note of the
  // song is sent, with its slot (song tick / kSlotTicks); clicks are not told.
  using CursorCallback = std::function<void(std::int64_t slot)>;

  explicit Player(TimerService& timer, SleepFunction sleep = {});
  // Stops a running playback's thread; the caller still owns its performance.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void SetEndNotification(EndNotification notification);
  void SetEventObserver(EventObserver observer);
  // Set while nothing plays.
  void SetCursorCallback(CursorCallback cursor);

  // Plays performance (form 2) from a play copy; returns once the player
  // thread has started its timer chain (or failed to).
  void StartPlayback(MidiSequence& performance);
  void StartPlayback(MidiSequence& performance, const PlayOptions& options);
  // Changes the speed of the playback under way (or of the next one): what
  // has played stays where it was in time and what follows moves.
  void SetSpeed(std::int32_t percent);
  std::int32_t Speed() const { return m_speed.load(); }
  // Stops the playback of performance and frees its play copy. Returns 1.
  int StopPlayback(MidiSequence& performance);

  static std::int32_t SkipLeadingSilence(MidiSequence& sequence);
  // Fills chase with the state before start; returns the index of the first
  // event at start or later, offset receives the deltas of those before it.
  static std::int32_t ChaseTo(const MidiTrack& track, std::int64_t start, ChaseState& chase,
                              std::int64_t& offset);
  // Timer period in ms for ticks per quarter, tempo and tempo scale.
  static std::uint32_t TimerPeriod(std::int32_t division, std::uint32_t tempo, std::int32_t scale);

  // Sends one event to the player's output (tempo events change the tempo).
  void SendEvent(const MidiEvent& event);

  bool IsFinished() const { return m_finished.load(); }
  // True when the last playback ended because its output could not be opened.
  bool OutputMissing() const { return m_outputMissing.load(); }
  bool IsPlaying() const { return m_playing.load(); }
  std::uint32_t CurrentTempo() const { return m_tempo.load(); }
  // True when called on the player thread (the end notification runs there).
  bool OnPlayerThread() const;

 private:
  void ThreadMain(MidiSequence* sequence, std::int64_t start);
  bool Prepare(MidiSequence& sequence, std::int64_t start, std::int64_t& offset);
  void SendChase(const ChaseState& chase);
  void CallBackPlayer(std::uint64_t generation);
  void EndChain();
  // Arms the chain's next timer at dueUs; false when none could be armed.
  bool ArmChain(std::int64_t dueUs);
  void ApplyTempo(const MidiEvent& event);
  void Pause(std::chrono::milliseconds ms);
  void WaitForPreviousPlayer();
  std::int64_t TicksToUs(double ticks) const;

  TimerService& m_timer;
  SleepFunction m_sleep;
  EndNotification m_endNotification;
  EventObserver m_observer;
  CursorCallback m_cursor;

  // Flags polled across threads.
  std::atomic<bool> m_finished{true};
  std::atomic<bool> m_playing{false};
  std::atomic<bool> m_stopRequest{false};
  std::atomic<bool> m_registered{false};
  std::atomic<bool> m_outputMissing{false};
  std::atomic<std::uint32_t> m_timerId{0};
  std::atomic<std::uint32_t> m_tempo{240};
  std::atomic<std::int32_t> m_speed{100};
  std::mutex m_stateMutex;  // with m_stateCv: wakes waiters when a flag above changes
  std::condition_variable m_stateCv;

  // The play state: the player thread while preparing (the chain is dead
  // then), then the timer thread in CallBackPlayer and SetSpeed, under
  // m_chainMutex.
  std::mutex m_chainMutex;
  std::condition_variable m_chainCv;  // m_sending fell
  bool m_chainDead = true;
  bool m_sending = false;          // a run sends its events, without the lock
  std::uint64_t m_generation = 0;  // of the armed timer; older ones do nothing
  // Song tick of each event of the play copy, -1 for what is not the song's.
  std::vector<std::int64_t> m_songTicks;
  std::int32_t m_loopFirst = -1;  // event that follows the end of track, or none
  std::int64_t m_loopLeadIn = 0;  // its ticks after the seam
  bool m_wrapped = false;         // the next event is m_loopFirst after a seam
  bool m_waitFirst = false;       // the first event's time is waited out
  MidiSequence* m_current = nullptr;
  MidiOut m_out;
  std::int32_t m_index = 0;
  std::int64_t m_tick = 0;
  std::int32_t m_scale = 100;
  std::uint32_t m_period = 1;
  std::int64_t m_dueUs = 0;        // when the armed timer is due
  std::int64_t m_pendingTick = 0;  // tick of the armed timer's first event
  bool m_anchored = false;
  std::int64_t m_anchorUs = 0;
  double m_anchorTick = 0;  // a speed change anchors between ticks

  std::thread m_thread;
};

}  // namespace kumoito::midi
