#include "jobs/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

using testing_support::ReadAll;

// True when pid is neither running nor left as a zombie of this process.
bool FullyReaped(pid_t pid) {
  int raw = 0;
  return ::waitpid(pid, &raw, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ChildStartTest, WhatCannotStartIsReportedWithTheSystemText) {
  ChildProcess child = ChildProcess::Start({"/nonexistent/dir/tool", "-x"}, OutputMode::kCapture);
  EXPECT_FALSE(child.ok());
  EXPECT_NE(child.error().find("/nonexistent/dir/tool"), std::string::npos) << child.error();
  EXPECT_NE(child.error().find("No such file or directory"), std::string::npos) << child.error();
  EXPECT_FALSE(child.TakeOutput().valid());
  EXPECT_EQ(child.Wait().code, -1);
  EXPECT_FALSE(child.Kill());

  testing_support::TempDir dir;
  std::string script = dir.File("tool");
  testing_support::WriteFile(script, "#!/bin/sh\nexit 0\n");
  ASSERT_EQ(::chmod(script.c_str(), 0644), 0);
  ChildProcess not_executable = ChildProcess::Start({script}, OutputMode::kDiscard);
  EXPECT_FALSE(not_executable.ok());
  EXPECT_NE(not_executable.error().find("Permission denied"), std::string::npos) << not_executable.error();

  ChildProcess empty = ChildProcess::Start({}, OutputMode::kCapture);
  EXPECT_FALSE(empty.ok());
  EXPECT_FALSE(empty.error().empty());

  RunResult result = RunAndWait({"/nonexistent/tool"});
  EXPECT_FALSE(result.started());
  EXPECT_NE(result.error.find("No such file"), std::string::npos);
}

TEST(ChildExitTest, ExitCodesComeBackAndASignalDeathIsNone) {
  const struct {
    const char* script;
    int code, signal;
  } cases[] = {{"exit 0", 0, 0}, {"exit 3", 3, 0}, {"exit 255", 255, 0}, {"kill -TERM $$", -1, SIGTERM}};
  for (const auto& c : cases) {
    const ExitStatus status = RunAndWait({"/bin/sh", "-c", c.script}).status;
    EXPECT_EQ(status.exited(), c.signal == 0) << c.script;
    EXPECT_EQ(status.killed(), c.signal != 0) << c.script;
    EXPECT_EQ(status.success(), c.code == 0) << c.script;
    EXPECT_EQ(status.code, c.code) << c.script;
    EXPECT_EQ(status.signal, c.signal) << c.script;
  }
}

TEST(ChildExitTest, TryWaitSeesRunningThenEnded) {
  ChildProcess child = ChildProcess::Start({"/bin/sleep", "0.3"}, OutputMode::kDiscard);
  ASSERT_TRUE(child.ok()) << child.error();
  EXPECT_FALSE(child.TryWait().has_value());
  EXPECT_EQ(child.Wait().code, 0);
  std::optional<ExitStatus> again = child.TryWait();
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->code, 0);
}

TEST(ChildIoTest, CapturesStdoutAndStderrInOrderOnceAndArgumentsUntouchedByAnyShell) {
  ChildProcess child =
      ChildProcess::Start({"/bin/sh", "-c", "echo out; echo err >&2; echo out2; exit 4"}, OutputMode::kCapture);
  ASSERT_TRUE(child.ok()) << child.error();
  UniqueFd out = child.TakeOutput();
  EXPECT_FALSE(child.TakeOutput().valid());  // only once
  EXPECT_EQ(ReadAll(out.get()), "out\nerr\nout2\n");
  EXPECT_EQ(child.Wait().code, 4);
  ChildProcess echo = ChildProcess::Start({"/bin/echo", "a  b", "$HOME", "*;|", "'q'"}, OutputMode::kCapture);
  UniqueFd echoed = echo.TakeOutput();
  EXPECT_EQ(ReadAll(echoed.get()), "a  b $HOME *;| 'q'\n");
  echo.Wait();
}

// The child reads /dev/null, not this process's input, and gets no descriptor but the three
// standard ones: not the pipe below, which is opened without O_CLOEXEC on purpose.
TEST(ChildIoTest, StdinIsDevNullAndNoOtherDescriptorsReachTheChild) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  int saved = ::dup(STDIN_FILENO);
  ASSERT_GE(saved, 0);
  ASSERT_EQ(::dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
  ChildProcess child =
      ChildProcess::Start({"/bin/sh", "-c", "readlink /proc/$$/fd/0; ls /proc/$$/fd; cat; echo eof"},
                          OutputMode::kCapture);
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  ASSERT_TRUE(child.ok()) << child.error();
  // fds[0] stays open here, so the write succeeds whoever reads.
  ASSERT_EQ(::write(fds[1], "leaked\n", 7), 7);
  ::close(fds[1]);
  ::close(fds[0]);
  UniqueFd out = child.TakeOutput();
  EXPECT_EQ(ReadAll(out.get()), "/dev/null\n0\n1\n2\neof\n");
  EXPECT_EQ(child.Wait().code, 0);
}

TEST(ChildIoTest, DiscardModeSendsBothStreamsToDevNull) {
  testing_support::TempDir dir;
  std::string report = dir.File("report");
  ChildProcess child = ChildProcess::Start(
      {"/bin/sh", "-c",
       "x=$(readlink /proc/$$/fd/1 /proc/$$/fd/2); echo \"$x\" > \"$0\"; echo noise", report},
      OutputMode::kDiscard);
  ASSERT_TRUE(child.ok()) << child.error();
  EXPECT_FALSE(child.TakeOutput().valid());
  EXPECT_EQ(child.Wait().code, 0);
  EXPECT_EQ(testing_support::ReadFile(report), "/dev/null\n/dev/null\n");
}

TEST(ChildLifetimeTest, KillFromAnotherThreadReleasesAWaiterOnce) {
  ChildProcess child = ChildProcess::Start({"/bin/sleep", "30"}, OutputMode::kCapture);
  ASSERT_TRUE(child.ok());
  UniqueFd out = child.TakeOutput();
  ExitStatus seen;
  std::thread waiter([&] { seen = child.Wait(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(child.Kill());
  waiter.join();
  EXPECT_EQ(seen.signal, SIGKILL);
  EXPECT_EQ(ReadAll(out.get()), "");
  EXPECT_FALSE(child.Kill()) << "a reaped child must not be signalled again";
  EXPECT_EQ(child.Wait().signal, SIGKILL);
}

// A running child (with its output pipe) or one that ended unwaited: neither outlives the handle.
TEST(ChildLifetimeTest, DestroyingAChildKillsAndReapsItLeavingNoZombie) {
  for (const bool running : {true, false}) {
    const auto started = std::chrono::steady_clock::now();
    pid_t pid;
    {
      ChildProcess child = running ? ChildProcess::Start({"/bin/sleep", "30"}, OutputMode::kCapture)
                                   : ChildProcess::Start({"/bin/true"}, OutputMode::kDiscard);
      ASSERT_TRUE(child.ok());
      pid = child.pid();
      ASSERT_GT(pid, 0);
      if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(FullyReaped(pid)) << running;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  }
}

TEST(ChildLifetimeTest, MoveHandsOverTheChildAndAssignmentReapsTheOneItReplaces) {
  ChildProcess first = ChildProcess::Start({"/bin/sh", "-c", "exit 7"}, OutputMode::kDiscard);
  ASSERT_TRUE(first.ok());
  ChildProcess second(std::move(first));
  EXPECT_FALSE(first.ok());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  EXPECT_EQ(first.Wait().code, -1);
  EXPECT_EQ(second.Wait().code, 7);

  ChildProcess child = ChildProcess::Start({"/bin/sleep", "30"}, OutputMode::kDiscard);
  ASSERT_TRUE(child.ok());
  const pid_t old_pid = child.pid();
  child = ChildProcess::Start({"/bin/sh", "-c", "exit 2"}, OutputMode::kDiscard);
  EXPECT_TRUE(FullyReaped(old_pid));
  EXPECT_NE(child.pid(), old_pid);
  EXPECT_EQ(child.Wait().code, 2);
}

}  // namespace
}  // namespace jobs
