#include "engine/thread_pool.hpp"

namespace kinseg {

ThreadPool::ThreadPool(int threads) {
  for (int t = 1; t < threads; ++t) workers_.emplace_back([this, t] { work(t); });
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  start_.notify_all();
  for (std::thread& w : workers_) w.join();
}

void ThreadPool::take_tasks(int thread) {
  for (int t = next_.fetch_add(1); t < tasks_; t = next_.fetch_add(1)) task_(context_, t, thread);
}

void ThreadPool::work(int thread) {
  long seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return stop_ || generation_ != seen; });
      if (stop_) return;
      seen = generation_;
    }
    take_tasks(thread);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (--busy_ == 0) finished_.notify_one();
    }
  }
}

void ThreadPool::run(int tasks, Task task, void* context) {
  if (workers_.empty() || tasks <= 1) {
    for (int t = 0; t < tasks; ++t) task(context, t, 0);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_ = tasks;
    task_ = task;
    context_ = context;
    next_.store(0);
    busy_ = static_cast<int>(workers_.size());
    ++generation_;
  }
  start_.notify_all();
  take_tasks(0);
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [&] { return busy_ == 0; });
}

}  // namespace kinseg
