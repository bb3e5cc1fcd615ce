#ifndef JOBS_CHILD_PROCESS_H_
#define JOBS_CHILD_PROCESS_H_

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/unique_fd.h"

namespace jobs {

using UniqueFd = shell::UniqueFd;

// Where the child's standard output and standard error go. Standard input is always /dev/null.
enum class OutputMode {
  kCapture,  // both into one pipe; the caller takes the read end with TakeOutput()
  kDiscard,  // both to /dev/null
};

struct ExitStatus {
  int code = -1;   // exit code when the child exited, -1 otherwise
  int signal = 0;  // terminating signal when it was killed, 0 otherwise

  bool exited() const { return code >= 0; }
  bool killed() const { return signal != 0; }
  bool success() const { return code == 0; }
};

// A child process started with posix_spawn from an argument vector (never through a shell).
// The child is always reaped: by Wait(), or by the destructor, which kills it first when it
// is still running. Wait() and Kill() may be called from different threads.
class ChildProcess {
 public:
  // argv[0] is the program's path; it is not searched on PATH. Failure to start (missing or
  // non-executable program, no pipe) comes back as a ChildProcess whose ok() is false.
  static ChildProcess Start(const std::vector<std::string>& argv, OutputMode mode);

  ChildProcess();
  ~ChildProcess();
  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool ok() const { return state_ != nullptr; }
  // Why the start failed, with the system's error text; empty when ok().
  const std::string& error() const { return error_; }
  pid_t pid() const;

  // The read end of the output pipe (kCapture only; invalid otherwise or when taken before).
  UniqueFd TakeOutput();

  // Blocks until the child ends and reaps it. Later calls return the same status.
  // A child that never started gives code -1 and signal 0.
  ExitStatus Wait();
  // The status if the child has ended (reaping it), nothing while it still runs.
  std::optional<ExitStatus> TryWait();
  // Sends SIGKILL unless the child was already reaped. False when nothing was sent.
  bool Kill();

 private:
  struct State;
  void KillAndReap();

  std::unique_ptr<State> state_;
  UniqueFd output_;
  std::string error_;
};

struct RunResult {
  std::string error;  // start failure with the system's error text; empty when it ran
  ExitStatus status;
  std::string output_tail;  // the end of its output, where it was kept

  bool started() const { return error.empty(); }
};

// Starts the program, discards its output and waits for it to end.
RunResult RunAndWait(const std::vector<std::string>& argv);

}  // namespace jobs

#endif  // JOBS_CHILD_PROCESS_H_
