#include "shell/logging.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;
using testing_support::EntryNames;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(LogCleanupTest, OnlyTodaysLogsAndFoldersSurviveAndAFolderThatCannotBeListedFails) {
  TempDir dir;
  const std::string today = "20240315";
  testing_support::WriteFiles(dir.path(), {"log.20240314-235959.4711", "log.20240315-000001.4712", "log.20240315",
                                           "notes.txt", "log.2024", "abc", "x.y.20240315-keep.too",
                                           "日志文件20240315", "archive/log.20240101-000000.1"});
  fs::create_directory(dir.File("elsewhere"));
  fs::create_directory_symlink(dir.File("elsewhere"), dir.File("folder-link"));
  fs::create_symlink(dir.File("log.20240315-000001.4712"), dir.File("VantuVoiceSeparate.INFO"));

  EXPECT_TRUE(LogCleanup(dir.path(), today));

  EXPECT_EQ(EntryNames(dir.path()), (Names{"log.20240315-000001.4712", "log.20240315", "x.y.20240315-keep.too",
                                          "日志文件20240315", "archive", "elsewhere", "folder-link"}));
  EXPECT_FALSE(LogCleanup(dir.File("missing"), today));
  EXPECT_FALSE(LogCleanup(dir.File("archive/log.20240101-000000.1"), today));  // a file, not a folder
  EXPECT_TRUE(LogCleanup(dir.File("elsewhere"), today));                         // an empty folder is fine
  // Sub-folders are not entered, and the file named as a folder stays.
  EXPECT_TRUE(fs::exists(dir.File("archive/log.20240101-000000.1")));
}

TEST(LocalDateTextTest, UsesTheLocalCalendarDay) {
  const std::time_t late_evening_utc = 1700000000;  // 2023-11-14 22:13:20 UTC
  const struct {
    const char* zone;
    const char* date;
  } cases[] = {{"UTC0", "20231114"}, {"CST-8", "20231115"}};  // eight hours ahead: already the next day
  for (const auto& c : cases) {
    testing_support::ScopedEnv zone("TZ", c.zone);
    ::tzset();
    EXPECT_EQ(LocalDateText(late_evening_utc), c.date) << c.zone;
  }
  ::tzset();  // back to the zone the process had
}

// Runs `body` in a child process and returns its exit code: glog can be set up only once per
// process, and the test program has done so already.
template <typename Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(SetUpLoggingTest, WritesTodaysFileThatCleanupKeepsWithoutBufferingOrConsole) {
  TempDir dir;
  fs::create_directory(dir.File("Log"));
  const std::string log_dir = dir.File("Log");
  const std::string console = dir.File("stderr.txt");
  const int code = InChild([&] {
    const int err = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (err < 0 || ::dup2(err, STDERR_FILENO) < 0) return 10;
    google::ShutdownGoogleLogging();
    SetUpLogging(log_dir);
    LOG(INFO) << "first line";
    LOG(WARNING) << "a warning";
    return 0;  // _exit: nothing is flushed on the way out
  });
  ASSERT_EQ(code, 0);

  const Names names = EntryNames(log_dir);
  ASSERT_EQ(names.size(), 1u);  // no link, no files of other severities
  const std::string name = *names.begin();
  EXPECT_EQ(name.rfind("log." + TodayText() + "-", 0), 0u) << name;
  const std::string text = ReadFile(log_dir + "/" + name);
  EXPECT_NE(text.find("first line"), std::string::npos);
  EXPECT_NE(text.find("a warning"), std::string::npos);
  EXPECT_EQ(ReadFile(console), "");

  ASSERT_TRUE(LogCleanup(log_dir, TodayText()));
  EXPECT_EQ(EntryNames(log_dir), names);
}

}  // namespace
}  // namespace shell
