// A fixed set of worker threads that run queued work in order of arrival.
#ifndef SHELL_WORK_QUEUE_H_
#define SHELL_WORK_QUEUE_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace shell {

// Work is handed over under a std::mutex, so sanitizers see every hand-over. The destructor
// drops the work not yet started and joins the threads. Thread-safe.
class WorkQueue {
 public:
  explicit WorkQueue(unsigned threads);
  ~WorkQueue();
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  void Start(std::function<void()> work);
  // Drops the work that has not started.
  void Clear();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace shell

#endif  // SHELL_WORK_QUEUE_H_
