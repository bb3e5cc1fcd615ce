#include "shell/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "shell/unique_fd.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

struct Pipe {
  UniqueFd read;
  UniqueFd write;
};

Pipe MakePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

// Waits for `pid` and returns its exit code, or -1 when it did not exit normally.
int ExitCode(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(InstanceLockTest, SecondLockWaitsForTheFirstToGoAndAMissingFolderIsReportedNotCreated) {
  TempDir dir;
  const std::string path = dir.File("instance.lock");
  {
    InstanceLock first(path);
    ASSERT_TRUE(first.acquired());
    EXPECT_EQ(first.error(), 0);
    EXPECT_TRUE(fs::exists(path));
    InstanceLock second(path);
    EXPECT_FALSE(second.acquired());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
  }
  EXPECT_TRUE(fs::exists(path));  // left for the next start
  InstanceLock third(path);
  EXPECT_TRUE(third.acquired());

  InstanceLock nowhere(dir.File("no/such/folder/instance.lock"));
  EXPECT_FALSE(nowhere.acquired());
  EXPECT_EQ(nowhere.error(), ENOENT);
  EXPECT_FALSE(fs::exists(dir.File("no")));
}

TEST(InstanceLockTest, LockOfAKilledProcessIsFree) {
  TempDir dir;
  const std::string path = dir.File("instance.lock");
  Pipe ready = MakePipe();
  ASSERT_TRUE(ready.read.valid());
  const pid_t pid = ::fork();
  if (pid == 0) {
    InstanceLock lock(path);
    const char byte = lock.acquired() ? 'y' : 'n';
    if (::write(ready.write.get(), &byte, 1) != 1) ::_exit(2);
    ::pause();  // until killed
    ::_exit(3);
  }
  ASSERT_GT(pid, 0);
  ready.write.Reset();
  char byte = 0;
  ASSERT_EQ(::read(ready.read.get(), &byte, 1), 1);
  EXPECT_EQ(byte, 'y');
  EXPECT_FALSE(InstanceLock(path).acquired());
  ::kill(pid, SIGKILL);
  EXPECT_EQ(ExitCode(pid), -1);
  EXPECT_TRUE(InstanceLock(path).acquired());
}

TEST(InstanceLockTest, ProgramsStartedMeanwhileDoNotKeepTheLock) {
  TempDir dir;
  const std::string path = dir.File("instance.lock");
  pid_t pid = -1;
  {
    InstanceLock lock(path);
    ASSERT_TRUE(lock.acquired());
    Pipe exec_done = MakePipe();  // closes in the child at exec
    ASSERT_TRUE(exec_done.read.valid());
    pid = ::fork();
    if (pid == 0) {
      ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    exec_done.write.Reset();
    char byte;
    ASSERT_EQ(::read(exec_done.read.get(), &byte, 1), 0);  // end of file: the exec happened
  }
  InstanceLock again(path);
  EXPECT_TRUE(again.acquired()) << "the started program inherited the lock";
  ::kill(pid, SIGKILL);
  ExitCode(pid);
}

TEST(InstanceSocketNameTest, DiffersPerUserAndDataFolderAndIsAPlainName) {
  const auto name_under = [](const char* data_home) {
    testing_support::ScopedEnv data("XDG_DATA_HOME", data_home);
    return InstanceSocketName();
  };
  const std::string other = name_under("/tmp/vantu-a");
  const std::string name = name_under("/tmp/vantu-b");
  EXPECT_NE(name, other);
  EXPECT_NE(name.find("VantuVoiceSeparate"), std::string::npos);
  const std::string uid = std::to_string(::getuid());
  ASSERT_GE(name.size(), uid.size());
  EXPECT_EQ(name.substr(name.size() - uid.size()), uid);
  // A "/" would make the local socket a path instead of a name in the runtime folder.
  EXPECT_EQ(name.find('/'), std::string::npos);
}

}  // namespace
}  // namespace shell
