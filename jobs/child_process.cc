#include "jobs/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <system_error>
#include <utility>

extern char** environ;

namespace jobs {

namespace {

std::string ErrnoText(int error) { return std::generic_category().message(error); }

// posix_spawn's helper objects need a matching destroy call on every path.
class FileActions {
 public:
  FileActions() { init_error_ = posix_spawn_file_actions_init(&actions_); }
  ~FileActions() {
    if (init_error_ == 0) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  int init_error() const { return init_error_; }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  int init_error_;
};

class SpawnAttr {
 public:
  SpawnAttr() { init_error_ = posix_spawnattr_init(&attr_); }
  ~SpawnAttr() {
    if (init_error_ == 0) posix_spawnattr_destroy(&attr_);
  }
  SpawnAttr(const SpawnAttr&) = delete;
  SpawnAttr& operator=(const SpawnAttr&) = delete;
  int init_error() const { return init_error_; }
  posix_spawnattr_t* get() { return &attr_; }

 private:
  posix_spawnattr_t attr_;
  int init_error_;
};

// Redirections for the child. Standard output and error are set up before standard input, so
// a pipe end that landed on fd 0 (a parent without stdin) is duplicated before it is replaced.
int AddRedirections(posix_spawn_file_actions_t* actions, OutputMode mode, int write_end) {
  int rc = 0;
  if (mode == OutputMode::kCapture) {
    rc = posix_spawn_file_actions_adddup2(actions, write_end, STDOUT_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(actions, write_end, STDERR_FILENO);
  } else {
    rc = posix_spawn_file_actions_addopen(actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(actions, STDOUT_FILENO, STDERR_FILENO);
  }
  if (rc == 0) {
    rc = posix_spawn_file_actions_addopen(actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
  // Descriptors opened elsewhere without O_CLOEXEC must not reach the child either.
  if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
#endif
  return rc;
}

// Ignored signals survive exec; the child starts with default dispositions and no mask.
int SetDefaultSignals(posix_spawnattr_t* attr) {
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  int rc = posix_spawnattr_setsigdefault(attr, &all);
  if (rc == 0) rc = posix_spawnattr_setsigmask(attr, &none);
  if (rc == 0) rc = posix_spawnattr_setflags(attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  return rc;
}

ExitStatus DecodeWaitStatus(int raw) {
  ExitStatus status;
  if (WIFEXITED(raw)) {
    status.code = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    status.signal = WTERMSIG(raw);
  }
  return status;
}

}  // namespace


struct ChildProcess::State {
  explicit State(pid_t p) : pid(p) {}

  // Reaps with the given waitpid flags; nothing when WNOHANG finds the child still running.
  std::optional<ExitStatus> ReapLocked(int flags) {
    if (reaped) return status;
    int raw = 0;
    pid_t r;
    do {
      r = ::waitpid(pid, &raw, flags);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return std::nullopt;
    // ECHILD means the status was taken elsewhere (SIGCHLD ignored); the code is then unknown.
    status = r == pid ? DecodeWaitStatus(raw) : ExitStatus{};
    reaped = true;
    return status;
  }

  const pid_t pid;
  std::mutex mu;
  bool reaped = false;
  ExitStatus status;
};

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, OutputMode mode) {
  ChildProcess child;
  if (argv.empty() || argv[0].empty()) {
    child.error_ = "cannot start a child: no program given";
    return child;
  }
  const std::string& program = argv[0];
  auto fail = [&](const std::string& what, int error) {
    child.error_ = "cannot start " + program + ": " + what + ErrnoText(error);
    return std::move(child);
  };

  UniqueFd read_end;
  UniqueFd write_end;
  if (mode == OutputMode::kCapture) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return fail("pipe: ", errno);
    read_end = UniqueFd(fds[0]);
    write_end = UniqueFd(fds[1]);
  }

  FileActions actions;
  if (actions.init_error() != 0) return fail("", actions.init_error());
  if (int rc = AddRedirections(actions.get(), mode, write_end.get()); rc != 0) return fail("", rc);
  SpawnAttr attr;
  if (attr.init_error() != 0) return fail("", attr.init_error());
  if (int rc = SetDefaultSignals(attr.get()); rc != 0) return fail("", rc);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t pid = -1;
  // glibc reports a failed exec (missing program, no permission) as this return value.
  int rc = ::posix_spawn(&pid, program.c_str(), actions.get(), attr.get(), args.data(), environ);
  if (rc != 0) return fail("", rc);

  child.state_ = std::make_unique<State>(pid);
  child.output_ = std::move(read_end);
  return child;  // the parent's write end closes here, so the reader sees EOF when the child ends
}

ChildProcess::ChildProcess() = default;

ChildProcess::~ChildProcess() { KillAndReap(); }

ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    KillAndReap();
    state_ = std::move(other.state_);
    output_ = std::move(other.output_);
    error_ = std::move(other.error_);
  }
  return *this;
}

pid_t ChildProcess::pid() const { return state_ ? state_->pid : -1; }

UniqueFd ChildProcess::TakeOutput() { return std::move(output_); }

ExitStatus ChildProcess::Wait() {
  if (!state_) return ExitStatus{};
  {
    std::lock_guard<std::mutex> lock(state_->mu);
    if (state_->reaped) return state_->status;
  }
  // Wait without reaping, so the pid cannot be reused while Kill() on another thread may
  // still signal it; the reaping itself happens under the lock.
  siginfo_t info;
  while (::waitid(P_PID, static_cast<id_t>(state_->pid), &info, WEXITED | WNOWAIT) != 0 &&
         errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(state_->mu);
  return *state_->ReapLocked(0);
}

std::optional<ExitStatus> ChildProcess::TryWait() {
  if (!state_) return ExitStatus{};
  std::lock_guard<std::mutex> lock(state_->mu);
  return state_->ReapLocked(WNOHANG);
}

bool ChildProcess::Kill() {
  if (!state_) return false;
  std::lock_guard<std::mutex> lock(state_->mu);
  if (state_->reaped) return false;
  return ::kill(state_->pid, SIGKILL) == 0;
}

void ChildProcess::KillAndReap() {
  if (!state_) return;
  Kill();
  Wait();
}

RunResult RunAndWait(const std::vector<std::string>& argv) {
  ChildProcess child = ChildProcess::Start(argv, OutputMode::kDiscard);
  RunResult result;
  if (!child.ok()) {
    result.error = child.error();
    return result;
  }
  result.status = child.Wait();
  return result;
}

}  // namespace jobs
