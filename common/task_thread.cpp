#include "common/task_thread.h"

#include <utility>

namespace kumoito {

TaskThread::TaskThread() : m_thread([this] { Run(); }) {}

TaskThread::~TaskThread() {
  {
    std::lock_guard lock(m_mutex);
    m_ending = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void TaskThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
  }
  m_changed.notify_all();
}

void TaskThread::WaitUntilIdle() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return m_tasks.empty() && !m_running; });
}

bool TaskThread::Busy() const {
  std::lock_guard lock(m_mutex);
  return !m_tasks.empty() || m_running;
}

void TaskThread::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return !m_tasks.empty() || m_ending; });
    if (m_tasks.empty()) {
      return;  // ending, and nothing is left to run
    }
    std::function<void()> task = std::move(m_tasks.front());
    m_tasks.pop_front();
    m_running = true;
    lock.unlock();
    task();
    task = nullptr;  // what it captured goes before the idle waiters wake
    lock.lock();
    m_running = false;
    m_changed.notify_all();
  }
}

}  // namespace kumoito
