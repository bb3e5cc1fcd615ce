// Real jobs against bad input, a broken environment, disk or folder: a file that is no audio, a
// missing or failing tool, a full file system, a file-size limit, the output folder removed
// during a run, made read-only before one or never creatable, the input deleted before the
// start, a tool killed while writing. Every case must end failed with a cause in words that
// names the file, logged as an error, leave no partial file under a result's name, keep an
// earlier result of that name, and leave the input as it was.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "tests/jobs_e2e/job_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/log_capture.h"

namespace jobs_e2e {
namespace {

using jobs::PageKind;
namespace fs = std::filesystem;
using testing_support::EntryNames;

enum class Fault {
  kBadInput, kToolMissing, kToolFails, kToolKilled, kFolderBelowFile, kResultIsFolder,
  kDiskFull, kFileSizeLimit, kFolderRemoved, kFolderReadOnly, kInputDeleted
};
// What the item's file is: a tone (song.wav), or something ffmpeg cannot make audio of.
enum class Input { kTone, kEmpty, kText, kVideo };

struct Case {
  const char* name;
  PageKind page;
  const char* format;
  Fault fault;
  int disk_kib;              // size of the output file system (0: a plain folder)
  const char* result;        // the result's name; an earlier file of that name is there (null: none)
  const char* cause;         // part of the item's cause
  std::set<std::string> left;  // what the output folder holds afterwards besides the earlier file
  Input input = Input::kTone;
};

const Case kCases[] = {
    {"SeparationOfAnEmptyFile", PageKind::Extract, "wav", Fault::kBadInput, 0, "song-人声.wav",
     "ffmpeg exited with status", {}, Input::kEmpty},
    {"PitchOfText", PageKind::Pitch, "wav", Fault::kBadInput, 0, "song-升调1个半音.wav", "song.mp3: Invalid", {},
     Input::kText},
    {"SilenceOfText", PageKind::Silence, "wav", Fault::kBadInput, 0, "song.wav", "song.mp3: Invalid", {},
     Input::kText},
    {"SeparationOfASilentFilm", PageKind::Extract, "wav", Fault::kBadInput, 0, "song-人声.wav",
     "does not contain any stream", {}, Input::kVideo},
    {"CompressOfASilentFilm", PageKind::Compress, "mp3", Fault::kBadInput, 0, "song.mp3",
     "ffmpeg exited with status", {}, Input::kVideo},
    {"SeparationWithoutFfmpeg", PageKind::Extract, "wav", Fault::kToolMissing, 0, "song-人声.wav",
     "ffmpeg was not found", {}},
    {"TempoWithoutSoundstretch", PageKind::Tempo, "wav", Fault::kToolMissing, 0, "song.wav",
     "soundstretch was not found", {}},
    {"PitchSoundstretchFails", PageKind::Pitch, "wav", Fault::kToolFails, 0, "song-升调1个半音.wav",
     "soundstretch failed", {}},
    // The input and the output folder are checked before any page's own step, so the
    // separation's rows stand for every page and also see its busy guard released. An output
    // folder below a plain file can never be made or written (not even by root).
    {"SeparationFolderBelowAFile", PageKind::Extract, "wav", Fault::kFolderBelowFile, 0, nullptr,
     "cannot be written", {}},
    {"SeparationFolderReadOnly", PageKind::Extract, "wav", Fault::kFolderReadOnly, 1024, "song-人声.wav",
     "cannot be written", {}},
    {"SeparationInputDeleted", PageKind::Extract, "wav", Fault::kInputDeleted, 0, "song-人声.wav",
     "song.wav no longer exists", {}},
    // The .ogg cannot replace a folder of that name: the result fails, its WAV stays.
    {"TempoResultIsAFolder", PageKind::Tempo, "ogg", Fault::kResultIsFolder, 0, nullptr,
     "song.ogg could not be written", {"song.ogg", "song.wav"}},
    {"ReverseOnFullDisk", PageKind::Reverse, "wav", Fault::kDiskFull, 64, "song.wav",
     "song.wav could not be written: the disk is full", {}},
    {"CompressOnFullDisk", PageKind::Compress, "mp3", Fault::kDiskFull, 16, "song.mp3",
     "song.mp3 could not be written: the disk is full", {}},
    {"SeparationOnFullDisk", PageKind::Extract, "wav", Fault::kDiskFull, 64, "song-人声.wav",
     "song-人声.wav could not be written: the disk is full", {}},
    // The stem fits, its conversion does not: the WAV stays under its own free name.
    {"SeparationConversionOnFullDisk", PageKind::Extract, "mp3", Fault::kDiskFull, 560, "song-人声.mp3",
     "song-人声.mp3 could not be written: the disk is full; the WAV result stays at", {"song-人声.wav"}},
    {"PitchOnFullDisk", PageKind::Pitch, "wav", Fault::kDiskFull, 64, "song-升调1个半音.wav",
     "song-升调1个半音.wav could not be written: the disk is full", {}},
    {"ReversePastFileSizeLimit", PageKind::Reverse, "wav", Fault::kFileSizeLimit, 0, "song.wav",
     "song.wav could not be written: the file would be larger than the file size limit allows", {}},
    {"SeparationPastFileSizeLimit", PageKind::Extract, "wav", Fault::kFileSizeLimit, 0, "song-人声.wav",
     ".wav could not be written: the file would be larger than the file size limit allows", {}},
    {"CompressFolderRemoved", PageKind::Compress, "mp3", Fault::kFolderRemoved, 0, "song.mp3",
     "song.mp3 could not be written: its folder no longer exists", {}},
    {"PitchSoundstretchKilled", PageKind::Pitch, "wav", Fault::kToolKilled, 0, "song-升调1个半音.wav",
     "soundstretch failed: ", {}},
    {"ReverseFfmpegKilled", PageKind::Reverse, "wav", Fault::kToolKilled, 0, "song.wav",
     "was stopped by signal 9", {}},
};

// A tmpfs of a given size, unmounted at the end.
class SmallDisk {
 public:
  SmallDisk(const std::string& path, int kib) : path_(path) {
    fs::create_directories(path);
    const std::string options = "size=" + std::to_string(kib) + "k";
    mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string path_;
  bool mounted_ = false;
};

class FaultMatrixTest : public JobFixture, public ::testing::WithParamInterface<Case> {
 protected:
  // A stand-in tool that fails, or writes part of its output (soundstretch's second argument,
  // ffmpeg's last) and kills itself.
  std::string StandIn(const std::string& name, bool dies) {
    const std::string path = dir_.File(name);
    const std::string pick = name == "soundstretch" ? "out=$2" : "for a; do out=$a; done";
    testing_support::WriteFile(path, dies ? "#!/bin/sh\n" + pick + "\nprintf partial > \"$out\"\nkill -9 $$\n"
                                          : "#!/bin/sh\necho broken >&2\nexit 4\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }
};

TEST_P(FaultMatrixTest, EndsFailedWithItsCauseAndLeavesNoPartialResult) {
  const Case& c = GetParam();
  if (geteuid() != 0 && c.disk_kib > 0) {
    GTEST_SKIP() << "needs root to mount a small tmpfs for the output folder";
  }
  std::string song = dir_.File(c.input == Input::kVideo ? "song.mp4" : "song.mp3");
  if (c.input == Input::kTone) {
    // Three seconds of stereo at 44.1 kHz: 517 KiB as WAV; a longer one for a run to interrupt.
    const double seconds = c.fault == Fault::kFolderRemoved ? 40 : 3;
    song = Make("song.wav", {"-f", "lavfi", "-i", "sine=f=440:d=" + std::to_string(seconds), "-ac", "2"});
  } else if (c.input == Input::kVideo) {
    Make("song.mp4", {"-f", "lavfi", "-i", "testsrc=d=1:s=64x64"});
  } else {
    testing_support::WriteFile(song, c.input == Input::kText ? "just some text, not audio at all\n" : "");
  }
  const std::string input_bytes = testing_support::ReadFile(song);

  std::unique_ptr<SmallDisk> disk;
  out_dir_ = dir_.File("results");
  if (c.disk_kib > 0) {
    disk = std::make_unique<SmallDisk>(out_dir_, c.disk_kib);
    ASSERT_TRUE(disk->mounted()) << "mount tmpfs on " << out_dir_;
  } else if (c.fault == Fault::kFolderBelowFile) {
    testing_support::WriteFile(dir_.File("plain"), "x");
    out_dir_ = dir_.File("plain/out");
  } else {
    fs::create_directories(out_dir_);
  }
  if (c.result) testing_support::WriteFile(out_dir_ + "/" + c.result, "an earlier result");
  if (c.fault == Fault::kResultIsFolder) fs::create_directories(out_dir_ + "/song.ogg");
  const std::string tool = c.page == PageKind::Pitch || c.page == PageKind::Tempo ? "soundstretch" : "ffmpeg";
  if (c.fault == Fault::kToolKilled || c.fault == Fault::kToolFails || c.fault == Fault::kToolMissing) {
    const auto real_find = env_.find_tool;
    const std::string stand_in = c.fault == Fault::kToolMissing ? "" : StandIn(tool, c.fault == Fault::kToolKilled);
    env_.find_tool = [=](const std::string& name) { return name == tool ? stand_in : real_find(name); };
  }
  Rebuild();
  host_.SetSelectedIndex("audio-extract-type", 1);  // the vocals
  SetFormats(c.format);

  testing_support::LogCapture log;
  const int32_t item = Add(c.page, song);
  if (c.fault == Fault::kInputDeleted) fs::remove(song);
  if (c.fault == Fault::kFolderReadOnly) {
    ASSERT_TRUE(disk->MakeReadOnly());
  }
  {
    std::unique_ptr<testing_support::FileSizeLimit> limit;
    if (c.fault == Fault::kFileSizeLimit) limit = std::make_unique<testing_support::FileSizeLimit>(100 * 1024);
    Start(c.page, item);
    if (c.fault == Fault::kFolderRemoved) {
      // Once the tool writes its partial file, the folder goes.
      ASSERT_TRUE(host_.RunUntil([&] { return EntryNames(out_dir_).size() > 1 || !finished_.empty(); },
                                 std::chrono::seconds(60)));
      ASSERT_TRUE(finished_.empty()) << "the run ended before the folder could be removed";
      fs::remove_all(out_dir_);
    }
    ASSERT_TRUE(WaitAll());
  }

  const jobs::FinishedRecord& r = finished_.back();
  EXPECT_FALSE(r.success);
  EXPECT_NE(r.cause.find(c.cause), std::string::npos) << r.cause;
  EXPECT_EQ(r.cause.find("Check failed"), std::string::npos) << r.cause;
  bool logged = false;
  for (const auto& line : log.lines()) {
    logged |= line.severity == google::GLOG_ERROR && line.message.find(c.cause) != std::string::npos;
  }
  EXPECT_TRUE(logged) << "no ERROR line names: " << c.cause;
  const auto e = ElementOf(c.page, item);
  EXPECT_TRUE(e.visible.at(jobs::kStatusFailed));
  EXPECT_FALSE(e.visible.at(jobs::kStatusSuccess));
  EXPECT_FALSE(e.visible.at(jobs::NamesOf(c.page).progress));
  EXPECT_TRUE(e.enabled.at(jobs::NamesOf(c.page).start_button));
  EXPECT_EQ(e.tool_tip.at(jobs::kStatusFailed), r.cause);

  if (c.fault == Fault::kFolderRemoved) {
    EXPECT_FALSE(fs::exists(out_dir_));
  } else {
    std::set<std::string> expected = c.left;
    if (c.result) expected.insert(c.result);
    EXPECT_EQ(EntryNames(out_dir_), expected);
    if (c.result) {
      EXPECT_TRUE(testing_support::ReadFile(out_dir_ + "/" + c.result) == "an earlier result") << "replaced";
    }
  }
  if (c.fault != Fault::kInputDeleted) {
    EXPECT_TRUE(testing_support::ReadFile(song) == input_bytes) << "input changed";
  }
  EXPECT_TRUE(fs::is_empty(temp_dir_));
  EXPECT_TRUE(controller_->busyList().empty());
  // A bad file spoils nothing for the next one.
  if (c.fault == Fault::kBadInput) {
    EXPECT_TRUE(RunOne(PageKind::Reverse, Make("good.wav", {"-f", "lavfi", "-i", "sine=d=1"})).success);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrixTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace jobs_e2e
