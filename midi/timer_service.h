#pragma once
// One-shot timers against a microsecond clock: the real service runs every
// callback on one thread of its own, waiting on a condition variable against
// the steady clock; the manual service runs them on whichever thread advances
// its clock, for tests that must not depend on the machine's load.
//
// Thread-safety: every member may be called from any thread. Callbacks run
// one after another, never two at once.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace kumoito::midi {

class TimerService {
 public:
  using Callback = std::function<void()>;
  static constexpr std::uint32_t kMinPeriodMs = 1;

  virtual ~TimerService() = default;
  virtual std::int64_t NowUs() = 0;
  // Arms a one-shot timer due at dueUs (NowUs's scale). Returns its
  // identifier, never 0; 0 when it cannot be armed.
  virtual std::uint32_t ArmAt(std::int64_t dueUs, Callback callback) = 0;
  // Disarms a pending timer. A callback already running on another thread is
  // waited for, so it is over when Kill returns.
  virtual void Kill(std::uint32_t id) = 0;
};

class RealTimerService final : public TimerService {
 public:
  // Below the priorities audio threads ask for (FluidSynth: 60), so sound
  // is never held up by the timer.
  static constexpr int kRealTimePriority = 20;
  RealTimerService();
  ~RealTimerService() override;
  RealTimerService(const RealTimerService&) = delete;
  RealTimerService& operator=(const RealTimerService&) = delete;

  std::int64_t NowUs() override;
  std::uint32_t ArmAt(std::int64_t dueUs, Callback callback) override;
  void Kill(std::uint32_t id) override;
  // Whether the system granted the timer thread real-time scheduling.
  bool RealTime() const { return m_realTime; }

 private:
  void Run();

  const std::chrono::steady_clock::time_point m_epoch;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::map<std::pair<std::int64_t, std::uint32_t>, Callback> m_timers;
  std::uint32_t m_nextId = 0;
  std::uint32_t m_running = 0;
  bool m_stop = false;
  std::thread m_thread;
  bool m_realTime = false;
};

class ManualTimerService final : public TimerService {
 public:
  std::int64_t NowUs() override;
  std::uint32_t ArmAt(std::int64_t dueUs, Callback callback) override;
  void Kill(std::uint32_t id) override;

  // Runs the earliest pending timer on the calling thread, first moving the
  // clock to its due time. False when none is pending.
  bool RunNext();
  // Waits (really) until a timer is pending; false after timeoutMs.
  bool WaitForPending(int timeoutMs);
  std::size_t PendingCount();
  void AdvanceTo(std::int64_t us);

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::map<std::pair<std::int64_t, std::uint32_t>, Callback> m_timers;
  std::uint32_t m_nextId = 0;
  std::int64_t m_now = 0;
};

}  // namespace kumoito::midi
