#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell {
namespace {

using Args = std::vector<std::string>;

TEST(ParseDesktopCommandLineTest, FilesBecomeAbsolutePathsInOrder) {
  struct Case {
    Args args;
    Args files;
  } const cases[] = {
      {{}, {}},
      {{"song.mp3", "clip.mp4"}, {"/home/u/song.mp3", "/home/u/clip.mp4"}},
      {{"/music/a b.flac", "../x/./y.wav"}, {"/music/a b.flac", "/home/x/y.wav"}},
      {{"歌曲.mp3"}, {"/home/u/歌曲.mp3"}},
      {{"file:///music/a%20b%E6%AD%8C.mp3"}, {"/music/a b歌.mp3"}},
      {{"file://localhost/music/x.mp3"}, {"/music/x.mp3"}},
      {{"file:///bad%zz%4"}, {"/bad%zz%4"}},
      // After "--" names that look like options are files.
      {{"--", "-odd.mp3", "--help"}, {"/home/u/-odd.mp3", "/home/u/--help"}},
      {{"", "a.mp3"}, {"/home/u/a.mp3"}},
  };
  for (const Case& c : cases) {
    const DesktopCommandLine line = ParseDesktopCommandLine(c.args, "/home/u");
    EXPECT_EQ(line.action, DesktopCommandLine::kRun) << testing::PrintToString(c.args);
    EXPECT_EQ(line.files, c.files) << testing::PrintToString(c.args);
  }
}

TEST(ParseDesktopCommandLineTest, HelpAndVersionWinAndUnknownOptionsAreRefused) {
  struct Case {
    Args args;
    DesktopCommandLine::Action action;
  } const cases[] = {
      {{"--help"}, DesktopCommandLine::kHelp},
      {{"a.mp3", "-h"}, DesktopCommandLine::kHelp},
      {{"--bogus", "--help"}, DesktopCommandLine::kHelp},
      {{"--version"}, DesktopCommandLine::kVersion},
      {{"-v", "a.mp3"}, DesktopCommandLine::kVersion},
      {{"--bogus", "a.mp3"}, DesktopCommandLine::kUsageError},
      {{"a.mp3", "-x"}, DesktopCommandLine::kUsageError},
      {{"--", "--version"}, DesktopCommandLine::kRun},
  };
  for (const Case& c : cases) {
    const DesktopCommandLine line = ParseDesktopCommandLine(c.args, "/w");
    EXPECT_EQ(line.action, c.action) << testing::PrintToString(c.args);
    if (c.action == DesktopCommandLine::kUsageError) {
      EXPECT_NE(line.error.find('-'), std::string::npos) << line.error;
      EXPECT_TRUE(line.files.empty());
    }
  }
}

}  // namespace
}  // namespace shell
