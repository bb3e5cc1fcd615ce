#include "shell/dirs.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <set>

#include "tests/support/temp_dir.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using testing_support::EntryNames;
using testing_support::TempDir;
using testing_support::WriteFile;
using testing_support::WriteFiles;

TEST(CreateDirsTest, CreatesEveryMissingLevelAndReportsTheOnesItCannot) {
  TempDir dir;
  const std::string path = dir.File("a/b//c/");
  WriteFile(dir.File("file"), "x");  // a file where a folder should go
  testing::internal::CaptureStdout();
  EXPECT_EQ(CreateDirs(path), path);
  EXPECT_EQ(CreateDirs(path), path);  // already there: no complaint
  EXPECT_EQ(CreateDirs(dir.File("file/x/y")), dir.File("file/x/y"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "create dir error fullPath: " + dir.File("file/x") + "\n" +
                "create dir error curPath: " + dir.File("file/x/y") + "\n");
  EXPECT_TRUE(fs::is_directory(dir.File("a/b/c")));
}

TEST(CreateDirsTest, ThreadsRacingForTheSameFolderAllSucceed) {
  TempDir dir;
  testing::internal::CaptureStdout();
  for (int round = 0; round < 40; ++round) {
    const std::string path = dir.File(std::to_string(round) + "/q/r/s/t");
    std::atomic<int> waiting{2};
    const auto create = [&] {
      for (--waiting; waiting > 0;) std::this_thread::yield();  // start together
      CreateDirs(path);
    };
    std::thread other(create);
    create();
    other.join();
    ASSERT_TRUE(fs::is_directory(path));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(DeleteDirContentsTest, EmptiesTheFolderButKeepsDotEntriesAndLinkTargets) {
  TempDir dir;
  const std::string root = dir.File("temp");
  WriteFiles(root, {"nested/deeper/f.wav", "readonly.wav", "locked/f.wav", ".keep", ".cache/f",
                    "../outside/sub/precious"});
  ASSERT_EQ(chmod((root + "/readonly.wav").c_str(), 0444), 0);
  ASSERT_EQ(chmod((root + "/locked").c_str(), 0500), 0);
  fs::create_directory_symlink(dir.File("outside"), root + "/to-dir");
  fs::create_symlink(dir.File("outside/sub/precious"), root + "/to-file");

  EXPECT_TRUE(DeleteDirContents(root));
  EXPECT_EQ(EntryNames(root), (std::set<std::string>{".cache", ".keep"}));
  EXPECT_TRUE(fs::exists(root + "/.cache/f"));
  EXPECT_TRUE(fs::exists(dir.File("outside/sub/precious")));
}

TEST(DeleteDirContentsTest, FlagTellsWhetherTheLastDeleteSucceeded) {
  TempDir dir;
  EXPECT_FALSE(DeleteDirContents(dir.File("missing")));
  WriteFile(dir.File("file"), "x");
  EXPECT_FALSE(DeleteDirContents(dir.File("file")));
  EXPECT_TRUE(DeleteDirContents(dir.path()));  // deletes "file"
  EXPECT_TRUE(DeleteDirContents(dir.path()));  // nothing there, nothing failed
  // Entries go in name order; "z" keeps a dot-file, so removing it, the last delete, fails.
  WriteFiles(dir.path(), {"a", "z/.hidden"});
  EXPECT_FALSE(DeleteDirContents(dir.path()));
  EXPECT_FALSE(fs::exists(dir.File("a")));
  EXPECT_TRUE(fs::exists(dir.File("z/.hidden")));
}

}  // namespace
}  // namespace shell
