// vantu-separate as a user or a script runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "separation/audio/wav_file.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_bytes.h"

namespace {

using testing_support::TempDir;
using testing_support::RunProgram;
using testing_support::WriteFile;

const std::string kProgram = std::string(VANTU_BIN_DIR) + "/vantu-separate";

std::vector<int16_t> Song(int frames) {
  std::vector<int16_t> s(2 * frames);
  for (int i = 0; i < 2 * frames; ++i) s[i] = static_cast<int16_t>((i * 37) % 2000 - 1000);
  return s;
}

TEST(SeparateCliTest, WritesTheChosenStemWithTheInputsLength) {
  TempDir dir;
  WriteFile(dir.File("my song.wav"), testing_support::Wav16(2, 44100, Song(44100)));
  testing_support::ProgramResult r = RunProgram(kProgram, {dir.File("my song.wav"), dir.File("out")});
  ASSERT_EQ(r.exit_code, 0) << r.output;
  EXPECT_EQ(r.output, dir.File("out") + "/my song-人声.wav\n");
  r = RunProgram(kProgram, {"--accompaniment", dir.File("my song.wav"), dir.File("out")});
  ASSERT_EQ(r.exit_code, 0) << r.output;
  for (const char* name : {"out/my song-人声.wav", "out/my song-伴奏.wav"}) {
    separation::WavFile stem;
    ASSERT_EQ(stem.Open(dir.File(name), 0), separation::kWavOk) << name;
    EXPECT_EQ(stem.header().num_channels, 2);
    EXPECT_EQ(stem.header().data_size, 44100u * 4);
  }
}

TEST(SeparateCliTest, BadInputEndsWithOneClearLine) {
  TempDir dir;
  WriteFile(dir.File("notes.wav"), "these are not samples, just text in a file");
  WriteFile(dir.File("song.wav"), testing_support::Wav16(2, 44100, Song(100)));
  WriteFile(dir.File("a-file"), "x");
  struct Case {
    const char* what;
    std::string program;
    std::vector<std::string> args;
    std::string says;
  };
  // A copy of the program without its models folder.
  std::filesystem::copy_file(kProgram, dir.File("vantu-separate"));
  const std::vector<Case> cases = {
      {"missing input", kProgram, {dir.File("none.wav"), dir.path()}, "cannot read '" + dir.File("none.wav") + "'"},
      {"not a WAV", kProgram, {dir.File("notes.wav"), dir.path()}, "only *.wav is supported! (Returned: 3)"},
      {"missing model", dir.File("vantu-separate"), {dir.File("song.wav"), dir.path()}, "Failed to load saved model"},
      {"folder is a file", kProgram, {dir.File("song.wav"), dir.File("a-file")},
       "a-file/song-人声.wav could not be written: its folder is a file, not a folder"},
      {"parent folder missing", kProgram, {dir.File("song.wav"), dir.File("x/y")}, "cannot create the output folder"},
  };
  for (const Case& c : cases) {
    const testing_support::ProgramResult r = RunProgram(c.program, c.args);
    EXPECT_EQ(r.exit_code, 1) << c.what;
    EXPECT_EQ(r.output.rfind("vantu-separate: ", 0), 0u) << c.what << ": " << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.what << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << c.what << ": " << r.output;
  }
  EXPECT_EQ(RunProgram(kProgram, {}).exit_code, 2);
  EXPECT_EQ(RunProgram(kProgram, {"--bogus", "a", "b"}).exit_code, 2);
  const testing_support::ProgramResult help = RunProgram(kProgram, {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("--accompaniment"), std::string::npos);
}

}  // namespace
