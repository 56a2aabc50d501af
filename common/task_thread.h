#pragma once
// TaskThread: a thread of its own that runs the tasks handed to it one after
// another, in the order they came. For work that may wait (stopping a player,
// reopening a device) and must keep its order without holding up the caller.
//
// Thread-safety: Post and WaitUntilIdle may be called from any thread but
// the task thread itself (a task that waits for its own thread would wait
// for ever); tasks run on the task thread only.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kumoito {

class TaskThread {
 public:
  TaskThread();
  // Runs every task already posted, then ends the thread.
  ~TaskThread();
  TaskThread(const TaskThread&) = delete;
  TaskThread& operator=(const TaskThread&) = delete;

  void Post(std::function<void()> task);
  // Returns once every task posted before the call has run.
  void WaitUntilIdle();
  // True while a posted task has not finished.
  bool Busy() const;

 private:
  void Run();

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::function<void()>> m_tasks;  // guarded by m_mutex
  bool m_running = false;                     // a task is running; guarded
  bool m_ending = false;                      // guarded by m_mutex
  std::thread m_thread;
};

}  // namespace kumoito
