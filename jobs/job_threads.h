// Threads and child processes of running jobs, so that nothing outlives the controller.
#ifndef JOBS_JOB_THREADS_H_
#define JOBS_JOB_THREADS_H_

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "jobs/child_process.h"

namespace jobs {

// Lets the owner stop a job: marks it cancelled and kills the child it is waiting for.
// Thread-safe.
class CancelToken {
 public:
  void Cancel();
  bool cancelled() const;
  // Registers the child the job now waits for; false (child not registered) when the job was
  // cancelled already. REQUIRES: Detach before the child is destroyed.
  bool Attach(ChildProcess* child);
  void Detach();

 private:
  mutable std::mutex mutex_;
  bool cancelled_ = false;
  ChildProcess* child_ = nullptr;
};

// Starts a child and waits for it, unless the job is cancelled. Its output is discarded, or
// with `keep_output` the last few kilobytes are kept in the result's output_tail.
RunResult RunCancellable(const std::vector<std::string>& argv, CancelToken& token, bool keep_output = false);

// Threads of the jobs. Finished threads are joined as new ones start; JoinAll waits for the rest.
class ThreadGroup {
 public:
  ThreadGroup() = default;
  ~ThreadGroup() { JoinAll(); }
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;

  void Start(std::function<void()> work);
  void JoinAll();

 private:
  struct Entry {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::list<Entry> threads_;
};

}  // namespace jobs

#endif  // JOBS_JOB_THREADS_H_
