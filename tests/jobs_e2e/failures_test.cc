// Bad input and a broken environment: each item ends failed with its cause, nothing else is
// touched, and the next item still runs.
#include <gtest/gtest.h>
#include <glog/logging.h>

#include <filesystem>

#include "tests/jobs_e2e/job_fixture.h"
#include "tests/support/log_capture.h"

namespace jobs_e2e {
namespace {

using jobs::PageKind;
namespace fs = std::filesystem;

class FailuresTest : public JobFixture {
 protected:
  // Runs one item that must fail; checks its element, its log line and that it names `cause`.
  void ExpectFailure(PageKind page, const std::string& path, const std::string& cause) {
    testing_support::LogCapture log;
    const jobs::FinishedRecord r = RunOne(page, path);
    EXPECT_FALSE(r.success);
    EXPECT_NE(r.cause.find(cause), std::string::npos) << path << ": " << r.cause;
    const auto e = ElementOf(page, r.item);
    EXPECT_TRUE(e.visible.at(jobs::kStatusFailed));
    EXPECT_FALSE(e.visible.at(jobs::kStatusSuccess));
    EXPECT_FALSE(e.visible.at(jobs::NamesOf(page).progress));
    EXPECT_TRUE(e.enabled.at(jobs::NamesOf(page).start_button));
    EXPECT_EQ(e.tool_tip.at(jobs::kStatusFailed), r.cause);
    bool logged = false;
    for (const auto& line : log.lines()) {
      logged |= line.severity == google::GLOG_ERROR && line.message.find(cause) != std::string::npos;
    }
    EXPECT_TRUE(logged) << "no ERROR line names: " << cause;
    EXPECT_TRUE(controller_->busyList().empty());
    EXPECT_TRUE(fs::is_empty(temp_dir_));
  }
};

TEST_F(FailuresTest, BadInputFilesEndFailedWithTheirCause) {
  testing_support::WriteFile(dir_.File("empty.mp3"), "");
  testing_support::WriteFile(dir_.File("notes.mp3"), "just some text, not audio at all\n");
  const std::string video = Make("silent film.mp4", {"-f", "lavfi", "-i", "testsrc=d=1:s=64x64"});

  ExpectFailure(PageKind::Extract, dir_.File("missing.mp3"), "no longer exists");
  ExpectFailure(PageKind::Extract, dir_.File("empty.mp3"), "ffmpeg exited with status");
  ExpectFailure(PageKind::Pitch, dir_.File("notes.mp3"), "notes.mp3: Invalid");
  ExpectFailure(PageKind::Silence, dir_.File("notes.mp3"), "notes.mp3: Invalid");
  ExpectFailure(PageKind::Extract, video, "does not contain any stream");
  ExpectFailure(PageKind::Compress, video, "ffmpeg exited with status");

  // Nothing was written, and the program keeps working.
  EXPECT_TRUE(fs::is_empty(out_dir_));
  const std::string good = Make("good.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  EXPECT_TRUE(RunOne(PageKind::Reverse, good).success);
}

TEST_F(FailuresTest, MissingToolsAndAnUnwritableFolderEndFailed) {
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  const auto real_find = env_.find_tool;

  env_.find_tool = [](const std::string&) { return std::string(); };
  Rebuild();
  ExpectFailure(PageKind::Extract, song, "ffmpeg was not found");

  env_.find_tool = [real_find](const std::string& name) {
    return name == "soundstretch" ? std::string() : real_find(name);
  };
  Rebuild();
  ExpectFailure(PageKind::Tempo, song, "soundstretch was not found");

  // An output folder below a plain file can never be made or written (not even by root).
  testing_support::WriteFile(dir_.File("plain"), "x");
  env_.find_tool = real_find;
  env_.output_dir = [this] { return dir_.File("plain/out"); };
  Rebuild();
  ExpectFailure(PageKind::Silence, song, "cannot be written");
  ExpectFailure(PageKind::Extract, song, "cannot be written");
}

TEST_F(FailuresTest, AFailingToolEndsFailedAndKeepsTheIntermediate) {
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  // A stand-in soundstretch that fails, and an ffmpeg that fails at the final conversion only.
  testing_support::WriteFile(dir_.File("soundstretch"), "#!/bin/sh\necho broken >&2\nexit 4\n");
  fs::permissions(dir_.File("soundstretch"), fs::perms::owner_all);
  const auto real_find = env_.find_tool;
  env_.find_tool = [this, real_find](const std::string& name) {
    return name == "soundstretch" ? dir_.File("soundstretch") : real_find(name);
  };
  Rebuild();
  ExpectFailure(PageKind::Pitch, song, "soundstretch failed");
  EXPECT_TRUE(fs::is_empty(out_dir_));

  env_.find_tool = real_find;
  Rebuild();
  host_.SetText("audio-tempo-format", "ogg");
  // The .ogg cannot replace a folder of that name: the result fails, its WAV stays.
  fs::create_directories(out_dir_ + "/song.ogg");
  ExpectFailure(PageKind::Tempo, song, "song.ogg could not be written");
  EXPECT_TRUE(fs::exists(out_dir_ + "/song.wav"));  // the WAV result stays
}

}  // namespace
}  // namespace jobs_e2e
