#include "jobs/job_threads.h"

#include <unistd.h>

#include <cerrno>

namespace jobs {

void CancelToken::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
  if (child_) child_->Kill();
}

bool CancelToken::cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool CancelToken::Attach(ChildProcess* child) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_) return false;
  child_ = child;
  return true;
}

void CancelToken::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  child_ = nullptr;
}

RunResult RunCancellable(const std::vector<std::string>& argv, CancelToken& token, bool keep_output) {
  RunResult result;
  ChildProcess child = ChildProcess::Start(argv, keep_output ? OutputMode::kCapture : OutputMode::kDiscard);
  if (!child.ok()) {
    result.error = child.error();
    return result;
  }
  if (!token.Attach(&child)) {
    result.error = "cancelled";
    return result;  // the destructor kills and reaps it
  }
  if (keep_output) {
    // Read to the end so the child never blocks on a full pipe; only the tail is kept.
    constexpr size_t kTail = 4096;
    const UniqueFd output = child.TakeOutput();
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(output.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      result.output_tail.append(buffer, static_cast<size_t>(n));
      if (result.output_tail.size() > 2 * kTail) result.output_tail.erase(0, result.output_tail.size() - kTail);
    }
  }
  result.status = child.Wait();
  token.Detach();
  return result;
}

void ThreadGroup::Start(std::function<void()> work) {
  for (auto it = threads_.begin(); it != threads_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  threads_.push_back(Entry{std::thread([work = std::move(work), done] {
                             work();
                             done->store(true);
                           }),
                           done});
}

void ThreadGroup::JoinAll() {
  for (Entry& e : threads_) e.thread.join();
  threads_.clear();
}

}  // namespace jobs
