// vantu-jobs as a user or a script runs it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "jobs/child_process.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::RunProgram;

const std::string kProgram = std::string(VANTU_BIN_DIR) + "/vantu-jobs";

// Files named directly and a folder's media files (in name order, hidden ones left out) each
// get their end reported; the exit code says whether any failed.
TEST(JobsCliTest, RunsEveryFileAndFolderEntryAndReportsEachEnd) {
  testing_support::TempDir dir;
  for (const char* name : {"in/b.wav", "in/sub/a.wav", "in/.hidden/c.wav"}) {
    std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=d=1", dir.File(name)}).exit_code, 0);
  }
  testing_support::WriteFile(dir.File("in/readme.txt"), "words");
  testing_support::WriteFile(dir.File("junk.mp3"), "not audio");
  const auto r = RunProgram(kProgram, {"reverse", "--format", "flac", "--output-dir", dir.File("out"), dir.File("in"),
                                       dir.File("junk.mp3"), dir.File("gone.wav")});
  EXPECT_EQ(r.exit_code, 1) << r.output;
  EXPECT_NE(r.output.find("b.wav: done: " + dir.File("out/b.flac")), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("junk.mp3: failed: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("gone.wav: failed: the file"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1 files skipped"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("2 succeeded, 2 failed"), std::string::npos) << r.output;
  // Name order: b.wav before the subfolder's a.wav.
  EXPECT_LT(r.output.find("b.wav: started"), r.output.find("a.wav: started")) << r.output;
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/a.flac")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/c.flac")));

  const auto ok = RunProgram(kProgram, {"compress", "--level", "2", "--output-dir", dir.File("out"), dir.File("in/b.wav")});
  EXPECT_EQ(ok.exit_code, 0) << ok.output;
}

bool HasPartialFile(const std::string& dir) {
  for (const std::string& name : testing_support::EntryNames(dir)) {
    if (name.rfind(".vantu-partial-", 0) == 0) return true;
  }
  return false;
}

// Stopped in the middle of a run: SIGTERM and SIGINT cancel the items and remove their partial
// files; after SIGKILL no file stands under the result's name, and the next run in that folder
// removes what the killed one left.
TEST(JobsCliTest, AStoppedRunLeavesNoPartialResult) {
  testing_support::TempDir dir;
  const std::string song = testing_support::MakeMedia(dir.File("long.wav"), {"-f", "lavfi", "-i", "sine=d=90", "-ac", "2"});
  for (const int sig : {SIGTERM, SIGINT, SIGKILL}) {
    const std::string out = dir.File("out" + std::to_string(sig));
    jobs::ChildProcess run = jobs::ChildProcess::Start({kProgram, "compress", "--output-dir", out, song},
                                                       jobs::OutputMode::kCapture);
    ASSERT_TRUE(run.ok()) << run.error();
    jobs::UniqueFd output = run.TakeOutput();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!HasPartialFile(out) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(HasPartialFile(out)) << "the run never started writing";
    ::kill(run.pid(), sig);
    const std::string said = testing_support::ReadAll(output.get());
    const jobs::ExitStatus status = run.Wait();
    EXPECT_FALSE(std::filesystem::exists(out + "/long.mp3")) << sig;
    if (sig == SIGKILL) {
      EXPECT_EQ(status.signal, SIGKILL);
      const auto next = RunProgram(kProgram, {"reverse", "--format", "wav", "--output-dir", out, song});
      EXPECT_EQ(next.exit_code, 0) << next.output;
    } else {
      EXPECT_EQ(status.code, 128 + sig) << said;
      EXPECT_NE(said.find("long.wav: failed: cancelled"), std::string::npos) << said;
    }
    EXPECT_FALSE(HasPartialFile(out)) << sig;
  }
}

TEST(JobsCliTest, UsageErrorsAndHelp) {
  const auto help = RunProgram(kProgram, {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char* page : {"extract", "pitch", "tempo", "silence", "compress", "reverse", "metadata"}) {
    EXPECT_NE(help.output.find(page), std::string::npos) << page;
  }
  EXPECT_EQ(RunProgram(kProgram, {}).exit_code, 2);
  EXPECT_EQ(RunProgram(kProgram, {"juggle", "a.mp3"}).exit_code, 2);
  EXPECT_EQ(RunProgram(kProgram, {"pitch", "--semitones", "0", "a.mp3"}).exit_code, 2);
  EXPECT_EQ(RunProgram(kProgram, {"compress", "--level", "7", "a.mp3"}).exit_code, 2);
  EXPECT_EQ(RunProgram(kProgram, {"tempo"}).exit_code, 2);
}

}  // namespace
