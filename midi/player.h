#pragma once
// The player: plays one performance through an output of its own, on a
// thread of its own, paced by a chain of one-shot timers whose callback
// (CallBackPlayer) sends the due events and arms the timer of the next ones.
// Each timer is due at the time of its event computed from the absolute tick
// and the tempo, so truncation never accumulates.
//
// Thread-safety: StartPlayback and StopPlayback are called from one thread at
// a time (the playback controller's output thread; StopPlayback also from the end notification on
// the player thread). The player thread and the timer thread share the play state under a mutex;
// the flags polled across threads are atomic.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "midi/midi_event.h"
#include "midi/midi_out.h"
#include "midi/timer_service.h"

namespace kumoito::midi {

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

  explicit Player(TimerService& timer, SleepFunction sleep = {});
  // Stops a running playback's thread; the caller still owns its performance.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void SetEndNotification(EndNotification notification);
  void SetEventObserver(EventObserver observer);

  // Plays performance (form 2) from a play copy; returns once the player
  // thread has started its timer chain (or failed to).
  void StartPlayback(MidiSequence& performance);
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
  void CallBackPlayer();
  void ArmFirstTimer();
  void EndChain();
  void Pause(std::chrono::milliseconds ms);
  void WaitForPreviousPlayer();
  std::int64_t TicksToUs(std::int64_t ticks) const;

  TimerService& m_timer;
  SleepFunction m_sleep;
  EndNotification m_endNotification;
  EventObserver m_observer;

  // Flags polled across threads.
  std::atomic<bool> m_finished{true};
  std::atomic<bool> m_playing{false};
  std::atomic<bool> m_stopRequest{false};
  std::atomic<bool> m_registered{false};
  std::atomic<bool> m_outputMissing{false};
  std::atomic<std::uint32_t> m_timerId{0};
  std::atomic<std::uint32_t> m_tempo{240};
  std::mutex m_stateMutex;  // with m_stateCv: wakes waiters when a flag above changes
  std::condition_variable m_stateCv;

  // The play state: the player thread while preparing, then the timer thread
  // in CallBackPlayer, always under m_chainMutex.
  std::mutex m_chainMutex;
  bool m_chainDead = true;
  MidiSequence* m_current = nullptr;
  MidiOut m_out;
  std::int32_t m_index = 0;
  std::int64_t m_tick = 0;
  std::int32_t m_scale = 100;
  std::uint32_t m_period = 1;
  std::int64_t m_dueUs = 0;         // when the armed timer is due
  std::int64_t m_sendingDueUs = 0;  // due time of the run that is sending
  bool m_anchored = false;
  std::int64_t m_anchorUs = 0;
  std::int64_t m_anchorTick = 0;

  std::thread m_thread;
};

}  // namespace kumoito::midi
