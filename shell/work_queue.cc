#include "shell/work_queue.h"

#include <utility>

namespace shell {

WorkQueue::WorkQueue(unsigned threads) {
  for (unsigned i = 0; i < (threads == 0 ? 1 : threads); ++i) threads_.emplace_back([this] { Run(); });
}

WorkQueue::~WorkQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void WorkQueue::Start(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
  }
  wake_.notify_one();
}

void WorkQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
}

void WorkQueue::Run() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }
}

}  // namespace shell
