#include "shell/program_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace shell {
namespace {

TEST(DataDirTest, BesideTheProgramInABuildTreeElseTheInstalledDataFolder) {
  struct Case {
    const char* made;  // folder made beside the program, or null
    bool beside;
  } const cases[] = {{"models", true}, {"skin", true}, {nullptr, false}, {"translations", false}};
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const std::string program_dir = dir.File("bin") + "/";
    std::filesystem::create_directories(program_dir);
    if (c.made) std::filesystem::create_directories(program_dir + c.made);
    const std::string expected = c.beside ? program_dir : program_dir + "../share/vantu/";
    EXPECT_EQ(DataDirFor(program_dir, "../share/vantu"), expected) << (c.made ? c.made : "nothing");
  }
}

}  // namespace
}  // namespace shell
