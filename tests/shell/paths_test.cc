#include "shell/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "shell/ini_file.h"
#include "shell/program_dir.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFile;

// A fake home and no XDG variables, so nothing reaches the real home.
class PathsTest : public ::testing::Test {
 protected:
  void UserDirs(const std::string& text, const std::string& config = "") {
    const std::string folder = config.empty() ? home_ + "/.config" : config;
    fs::create_directories(folder);
    WriteFile(folder + "/user-dirs.dirs", text);
  }
  TempDir dir_;
  const std::string home_ = dir_.File("home");
  const std::string ini_ = dir_.File("configure.ini");
  ScopedEnv home_env_{"HOME", home_};
  ScopedEnv data_env_{"XDG_DATA_HOME", ""};
  ScopedEnv config_env_{"XDG_CONFIG_HOME", ""};
};

TEST_F(PathsTest, AppDataLiesBelowXdgDataHomeOrTheHomeDefault) {
  EXPECT_EQ(CreateAppDataDir("VantuAudio/Temp"), home_ + "/.local/share/VantuAudio/Temp");
  EXPECT_TRUE(fs::is_directory(home_ + "/.local/share/VantuAudio/Temp"));
  {
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");  // not absolute: ignored
    EXPECT_EQ(AppDataBaseDir(), home_ + "/.local/share");
  }
  ScopedEnv data("XDG_DATA_HOME", dir_.File("data"));
  EXPECT_EQ(CreateAppDataDir("VantuVoiceSeparate/Log"), dir_.File("data/VantuVoiceSeparate/Log"));
  EXPECT_TRUE(fs::is_directory(dir_.File("data/VantuVoiceSeparate/Log")));
}

TEST_F(PathsTest, UserFoldersComeFromUserDirsFile) {
  EXPECT_EQ(UserDocumentsDir(), home_ + "/Documents");
  EXPECT_EQ(UserDesktopDir(), home_ + "/Desktop");
  UserDirs("# XDG_DOCUMENTS_DIR=\"/commented\"\nXDG_DOCUMENTS_DIR=\"/first\"\n"
           "  XDG_DOCUMENTS_DIR = \"$HOME/My \\\"Docs\\\"\"\nXDG_DESKTOP_DIR=\"$HOME\"\n"
           "XDG_DOCUMENTS_DIRX=\"/wrong-key\"\n");
  EXPECT_EQ(UserDocumentsDir(), home_ + "/My \"Docs\"");  // the last line wins
  EXPECT_EQ(UserDesktopDir(), home_);
  ScopedEnv config("XDG_CONFIG_HOME", dir_.File("config"));
  UserDirs("XDG_DESKTOP_DIR=\"relative\"\n", dir_.File("config"));
  EXPECT_EQ(UserDocumentsDir(), home_ + "/Documents");
  EXPECT_EQ(UserDesktopDir(), home_ + "/Desktop");  // only "$HOME/..." and "/..." count
}

TEST_F(PathsTest, OutputDirIsTheTrimmedSettingElseDocumentsElseDesktop) {
  const std::string blanks = "[global]\noutput-dir= \t\xE3\x80\x80\n";
  WriteFile(ini_, blanks);
  EXPECT_EQ(GetOutputDir(ini_), home_ + "/Desktop/" + kOutputFolderName);  // no documents folder
  EXPECT_TRUE(fs::is_directory(home_ + "/Desktop/VANTU人声分离"));
  UserDirs("XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n");
  fs::create_directories(home_ + "/文档");
  EXPECT_EQ(GetOutputDir(ini_), home_ + "/文档/VANTU人声分离");
  EXPECT_TRUE(fs::is_directory(home_ + "/文档/VANTU人声分离"));
  EXPECT_EQ(ReadFile(ini_), blanks);  // the default is never written back

  const std::string wanted = dir_.File("out/a/b");
  ASSERT_TRUE(WriteIniString(kConfigSection, kKeyOutputDir, "\xE3\x80\x80" + wanted + " ", ini_));
  EXPECT_EQ(GetOutputDir(ini_), wanted);
  EXPECT_TRUE(fs::is_directory(wanted));
}

// The path is fixed once per process, so everything about it is checked in this one test.
TEST_F(PathsTest, ConfigIniPathIsBuiltOnceAndItsFolderRecreatedOnEveryCall) {
  ScopedEnv data("XDG_DATA_HOME", dir_.File("data"));
  const std::string folder = dir_.File("data/VantuVoiceSeparate/Config");
  std::vector<const std::string*> seen(8);
  std::vector<std::thread> threads;
  for (auto& slot : seen) threads.emplace_back([&slot] { slot = &GetConfigIniPath(); });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(std::set<const std::string*>(seen.begin(), seen.end()).size(), 1u);
  EXPECT_EQ(*seen[0], folder + "/configure.ini");
  fs::remove_all(dir_.File("data"));
  EXPECT_EQ(&GetConfigIniPath(), seen[0]);
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST(DataDirTest, BesideTheProgramInABuildTreeElseTheInstalledDataFolder) {
  struct Case {
    const char* made;  // folder made beside the program, or null
    bool beside;
  } const cases[] = {{"models", true}, {"skin", true}, {nullptr, false}, {"translations", false}};
  for (const Case& c : cases) {
    TempDir dir;
    const std::string program_dir = dir.File("bin") + "/";
    fs::create_directories(program_dir);
    if (c.made) fs::create_directories(program_dir + c.made);
    const std::string expected = c.beside ? program_dir : program_dir + "../share/vantu/";
    EXPECT_EQ(DataDirFor(program_dir, "../share/vantu"), expected) << (c.made ? c.made : "nothing");
  }
}

}  // namespace
}  // namespace shell
