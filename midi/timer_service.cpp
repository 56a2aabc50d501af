#include "midi/timer_service.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>

namespace kumoito::midi {
namespace {

template <typename Map>
void EraseId(Map& timers, std::uint32_t id) {
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->first.second == id) {
      timers.erase(it);
      return;
    }
  }
}

std::uint32_t NextId(std::uint32_t& next) {
  if (++next == 0) {
    ++next;
  }
  return next;
}

}  // namespace

RealTimerService::RealTimerService()
    : m_epoch(std::chrono::steady_clock::now()), m_thread([this] { Run(); }) {
  // On a busy machine an ordinary thread wakes milliseconds late; where the
  // system grants it (the audio server's helper or a privileged user), the
  // timer thread runs ahead of ordinary work, as the sound thread does. Its
  // callbacks are short, so it never holds a core for long. Refused, it
  // stays an ordinary thread.
  sched_param param{};
  param.sched_priority = kRealTimePriority;
  m_realTime = pthread_setschedparam(m_thread.native_handle(), SCHED_FIFO, &param) == 0;
}

RealTimerService::~RealTimerService() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_cv.notify_all();
  m_thread.join();
}

std::int64_t RealTimerService::NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               m_epoch)
      .count();
}

std::uint32_t RealTimerService::ArmAt(std::int64_t dueUs, Callback callback) {
  std::uint32_t id = 0;
  {
    std::lock_guard lock(m_mutex);
    if (m_stop) {
      return 0;
    }
    id = NextId(m_nextId);
    m_timers.emplace(std::pair{dueUs, id}, std::move(callback));
  }
  m_cv.notify_all();
  return id;
}

void RealTimerService::Kill(std::uint32_t id) {
  std::unique_lock lock(m_mutex);
  EraseId(m_timers, id);
  if (std::this_thread::get_id() != m_thread.get_id()) {
    m_cv.wait(lock, [&] { return m_running != id || id == 0; });
  }
}

void RealTimerService::Run() {
  std::unique_lock lock(m_mutex);
  while (!m_stop) {
    if (m_timers.empty()) {
      m_cv.wait(lock);
      continue;
    }
    const auto due = m_epoch + std::chrono::microseconds(m_timers.begin()->first.first);
    if (std::chrono::steady_clock::now() < due) {
      m_cv.wait_until(lock, due);
      continue;
    }
    auto node = m_timers.extract(m_timers.begin());
    m_running = node.key().second;
    lock.unlock();
    node.mapped()();
    lock.lock();
    m_running = 0;
    m_cv.notify_all();
  }
}

std::int64_t ManualTimerService::NowUs() {
  std::lock_guard lock(m_mutex);
  return m_now;
}

std::uint32_t ManualTimerService::ArmAt(std::int64_t dueUs, Callback callback) {
  std::uint32_t id = 0;
  {
    std::lock_guard lock(m_mutex);
    id = NextId(m_nextId);
    m_timers.emplace(std::pair{dueUs, id}, std::move(callback));
  }
  m_cv.notify_all();
  return id;
}

void ManualTimerService::Kill(std::uint32_t id) {
  std::lock_guard lock(m_mutex);
  EraseId(m_timers, id);
}

bool ManualTimerService::RunNext() {
  Callback callback;
  {
    std::lock_guard lock(m_mutex);
    if (m_timers.empty()) {
      return false;
    }
    auto node = m_timers.extract(m_timers.begin());
    m_now = std::max(m_now, node.key().first);
    callback = std::move(node.mapped());
  }
  callback();
  return true;
}

bool ManualTimerService::WaitForPending(int timeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return !m_timers.empty(); });
}

std::size_t ManualTimerService::PendingCount() {
  std::lock_guard lock(m_mutex);
  return m_timers.size();
}

void ManualTimerService::AdvanceTo(std::int64_t us) {
  std::lock_guard lock(m_mutex);
  m_now = std::max(m_now, us);
}

}  // namespace kumoito::midi
