#include "jobs/tool_locator.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

class ToolLocatorTest : public testing::Test {
 protected:
  // dir/<sub>/<name>, executable or not.
  std::string MakeTool(const std::string& sub, const std::string& name, bool executable = true) {
    std::string folder = dir_.File(sub);
    ::mkdir(folder.c_str(), 0755);
    std::string path = folder + "/" + name;
    testing_support::WriteFile(path, "#!/bin/sh\n");
    EXPECT_EQ(::chmod(path.c_str(), executable ? 0755 : 0644), 0);
    return path;
  }
  std::string Dir(const std::string& sub) {
    std::string folder = dir_.File(sub);
    ::mkdir(folder.c_str(), 0755);
    return folder;
  }

  testing_support::TempDir dir_;
};

TEST_F(ToolLocatorTest, ProgramFolderWinsOverPath) {
  std::string beside = MakeTool("app", "ffmpeg");
  MakeTool("bin", "ffmpeg");
  EXPECT_EQ(FindTool("ffmpeg", Dir("app") + "/", Dir("bin")), beside);
}

TEST_F(ToolLocatorTest, ProgramFolderWithoutTrailingSlash) {
  std::string beside = MakeTool("app", "soundstretch");
  EXPECT_EQ(FindTool("soundstretch", Dir("app"), ""), beside);
}

TEST_F(ToolLocatorTest, PathEntriesAreSearchedInOrder) {
  Dir("app");
  std::string first = MakeTool("one", "ffmpeg");
  MakeTool("two", "ffmpeg");
  EXPECT_EQ(FindTool("ffmpeg", Dir("app"), Dir("one") + ":" + Dir("two")), first);
}

TEST_F(ToolLocatorTest, SkipsWhatCannotBeRun) {
  MakeTool("app", "ffmpeg", /*executable=*/false);
  Dir("one");
  ::mkdir(dir_.File("one/ffmpeg").c_str(), 0755);  // a folder of that name
  std::string runnable = MakeTool("two", "ffmpeg");
  EXPECT_EQ(FindTool("ffmpeg", Dir("app"), Dir("one") + ":" + Dir("two")), runnable);
}

TEST_F(ToolLocatorTest, EmptyAndRelativePathEntriesAreIgnored) {
  std::string runnable = MakeTool("two", "ffmpeg");
  EXPECT_EQ(FindTool("ffmpeg", "", "::relative/bin:" + Dir("two") + ":"), runnable);
}

TEST_F(ToolLocatorTest, NotFoundGivesEmpty) {
  MakeTool("one", "other");
  EXPECT_EQ(FindTool("ffmpeg", Dir("app"), Dir("one")), "");
  EXPECT_EQ(FindTool("ffmpeg", "", ""), "");
  EXPECT_EQ(FindTool("", Dir("one"), Dir("one")), "");
}

TEST_F(ToolLocatorTest, NamesWithSlashesAreRefused) {
  MakeTool("one", "ffmpeg");
  EXPECT_EQ(FindTool("one/ffmpeg", dir_.path(), dir_.path()), "");
}

TEST(ToolLocatorSystemTest, FindsTheInstalledTools) {
  for (const char* name : {"ffmpeg", "soundstretch"}) {
    std::string path = FindTool(name);
    EXPECT_FALSE(path.empty()) << name << " is neither beside the program nor on PATH";
    EXPECT_TRUE(IsExecutableFile(path)) << path;
  }
}

}  // namespace
}  // namespace jobs
