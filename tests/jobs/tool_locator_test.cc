#include "jobs/tool_locator.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

TEST(ToolLocatorTest, TheProgramFolderFirstThenPathInOrderOnlyWhatCanRun) {
  testing_support::TempDir dir;
  const auto d = [&dir](const std::string& sub) { return dir.File(sub); };
  for (const char* folder : {"a", "b", "c", "d/ffmpeg", "e"}) std::filesystem::create_directories(d(folder));
  for (const char* tool : {"a/ffmpeg", "a/soundstretch", "b/ffmpeg", "c/ffmpeg", "e/other"}) {
    testing_support::WriteFile(d(tool), "#!/bin/sh\n");
    ASSERT_EQ(::chmod(d(tool).c_str(), d(tool) == d("c/ffmpeg") ? 0644 : 0755), 0);
  }
  const struct {
    std::string name, program_dir, path, found;
  } cases[] = {
      {"ffmpeg", d("a") + "/", d("b"), d("a/ffmpeg")},  // beside the program wins over PATH
      {"soundstretch", d("a"), "", d("a/soundstretch")},
      {"ffmpeg", d("e"), d("a") + ":" + d("b"), d("a/ffmpeg")},
      {"ffmpeg", d("e"), d("b") + ":" + d("a"), d("b/ffmpeg")},
      // Not executable, a folder of that name: skipped.
      {"ffmpeg", d("c"), d("d") + ":" + d("b"), d("b/ffmpeg")},
      {"ffmpeg", "", "::relative/bin:" + d("b") + ":", d("b/ffmpeg")},  // empty and relative entries ignored
      {"ffmpeg", d("e"), d("e"), ""},
      {"ffmpeg", "", "", ""},
      {"", d("a"), d("a"), ""},
      {"a/ffmpeg", dir.path(), dir.path(), ""},  // names with slashes are refused
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindTool(c.name, c.program_dir, c.path), c.found) << c.name << " in " << c.program_dir << " / " << c.path;
  }
}

}  // namespace
}  // namespace jobs
