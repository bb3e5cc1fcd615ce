#include "tests/support/hang_watchdog.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/run_program.h"

namespace testing_support {
namespace {

// Prints every thread's stack of this process to standard error.
void PrintStacks() {
  // Yama lets only a declared tracer attach to a running process.
  prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  const ProgramResult gdb =
      RunProgram("gdb", {"-p", std::to_string(getpid()), "-batch", "-nx", "-ex", "thread apply all bt"});
  std::fputs(gdb.exit_code == 127 ? "[watchdog] no gdb here to show the threads\n" : gdb.output.c_str(), stderr);
}

class HangWatchdog : public testing::EmptyTestEventListener {
 public:
  explicit HangWatchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~HangWatchdog() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void OnTestStart(const testing::TestInfo& info) override {
    Watching(std::string(info.test_suite_name()) + "." + info.name());
  }
  void OnTestEnd(const testing::TestInfo&) override { Watching(""); }
  // The program's own teardown after its last test is watched too.
  void OnTestProgramEnd(const testing::UnitTest&) override { Watching("the end of the test program"); }

 private:
  // Starts the clock for `what`; nothing is watched while it is empty.
  void Watching(std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    test_ = std::move(what);
    ++serial_;
    changed_.notify_all();
  }

  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      if (test_.empty()) {
        changed_.wait(lock);
        continue;
      }
      const unsigned long serial = serial_;
      if (changed_.wait_for(lock, limit_, [&] { return stop_ || serial_ != serial; })) continue;
      std::fprintf(stderr, "[watchdog] %s has run for over %lld s; where each thread stands:\n", test_.c_str(),
                   static_cast<long long>(limit_.count()));
      lock.unlock();
      PrintStacks();
      std::abort();
    }
  }

  const std::chrono::seconds limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // The program's own set-up before its first test is watched too.
  std::string test_ = "the start of the test program";
  unsigned long serial_ = 0;
  bool stop_ = false;
  std::thread thread_;  // last: starts once the rest is set
};

}  // namespace

void InstallHangWatchdog(std::chrono::seconds limit) {
  testing::UnitTest::GetInstance()->listeners().Append(new HangWatchdog(limit));
}

}  // namespace testing_support
