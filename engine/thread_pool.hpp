// A small pool of threads that stay alive between evaluations: the calling
// thread and threads - 1 workers share the tasks of one run, each taking the
// next task not yet taken. A run allocates nothing.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kinseg {

class ThreadPool {
 public:
  // threads >= 1: the caller and threads - 1 workers.
  explicit ThreadPool(int threads);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  int threads() const { return static_cast<int>(workers_.size()) + 1; }

  // Calls task(context, t, thread) for every t in 0..tasks-1 and returns when
  // all calls have returned; `thread` (0..threads()-1) names the thread that
  // runs the call, so that each can use work space of its own. A task must
  // not throw.
  using Task = void (*)(void* context, int task, int thread);
  void run(int tasks, Task task, void* context);

 private:
  void work(int thread);
  void take_tasks(int thread);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable finished_;
  long generation_ = 0;  // runs started
  bool stop_ = false;
  int busy_ = 0;         // workers still in the current run
  int tasks_ = 0;
  Task task_ = nullptr;
  void* context_ = nullptr;
  std::atomic<int> next_{0};
};

}  // namespace kinseg
