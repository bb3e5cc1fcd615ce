// Real jobs against a broken disk or folder: a full file system, a file-size limit, the output
// folder removed during a run or made read-only before one, the input deleted before the
// start, a tool killed while writing. Every case must end failed with a cause in words that
// names the file, leave no partial file under a result's name, keep an earlier result of that
// name, and leave the input as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "tests/jobs_e2e/job_fixture.h"

namespace jobs_e2e {
namespace {

using jobs::PageKind;
namespace fs = std::filesystem;

enum class Fault { kDiskFull, kFileSizeLimit, kFolderRemoved, kFolderReadOnly, kInputDeleted, kToolKilled };

struct Case {
  const char* name;
  PageKind page;
  const char* format;
  Fault fault;
  int disk_kib;              // size of the output file system (0: a plain folder)
  const char* result;        // the result's name; an earlier file of that name is there
  const char* cause;         // part of the item's cause
  std::set<std::string> left;  // what the output folder holds afterwards besides the earlier file
};

const Case kCases[] = {
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
    {"ReverseFolderReadOnly", PageKind::Reverse, "wav", Fault::kFolderReadOnly, 1024, "song.wav",
     "cannot be written", {}},
    {"SeparationFolderReadOnly", PageKind::Extract, "wav", Fault::kFolderReadOnly, 1024, "song-人声.wav",
     "cannot be written", {}},
    {"SeparationInputDeleted", PageKind::Extract, "wav", Fault::kInputDeleted, 0, "song-人声.wav",
     "song.wav no longer exists", {}},
    {"MetadataInputDeleted", PageKind::Metadata, "mp3", Fault::kInputDeleted, 0, "song.mp3",
     "song.wav no longer exists", {}},
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

// A file-size limit for this process and the children it starts, lifted at the end. The
// process itself then gets EFBIG instead of SIGXFSZ, as the program does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
};

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.insert(it->path().filename().string());
  }
  return names;
}

class FaultMatrixTest : public JobFixture, public ::testing::WithParamInterface<Case> {
 protected:
  // A stand-in tool that writes part of its output (soundstretch's second argument, ffmpeg's
  // last) and kills itself.
  std::string DyingTool(const std::string& name) {
    const std::string path = dir_.File(name);
    const std::string pick = name == "soundstretch" ? "out=$2" : "for a; do out=$a; done";
    testing_support::WriteFile(path, "#!/bin/sh\n" + pick + "\nprintf partial > \"$out\"\nkill -9 $$\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }
};

TEST_P(FaultMatrixTest, EndsFailedWithItsCauseAndLeavesNoPartialResult) {
  const Case& c = GetParam();
  if (geteuid() != 0 && c.disk_kib > 0) {
    GTEST_SKIP() << "needs root to mount a small tmpfs for the output folder";
  }
  // Three seconds of stereo at 44.1 kHz: 517 KiB as WAV; a longer one for a run to interrupt.
  const double seconds = c.fault == Fault::kFolderRemoved ? 40 : 3;
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=f=440:d=" + std::to_string(seconds), "-ac", "2"});
  const std::string input_bytes = testing_support::ReadFile(song);

  std::unique_ptr<SmallDisk> disk;
  out_dir_ = dir_.File("results");
  if (c.disk_kib > 0) {
    disk = std::make_unique<SmallDisk>(out_dir_, c.disk_kib);
    ASSERT_TRUE(disk->mounted()) << "mount tmpfs on " << out_dir_;
  } else {
    fs::create_directories(out_dir_);
  }
  testing_support::WriteFile(out_dir_ + "/" + c.result, "an earlier result");
  if (c.fault == Fault::kToolKilled) {
    const auto real_find = env_.find_tool;
    const std::string tool = c.page == PageKind::Pitch ? "soundstretch" : "ffmpeg";
    const std::string dying = DyingTool(tool);
    env_.find_tool = [=](const std::string& name) { return name == tool ? dying : real_find(name); };
  }
  Rebuild();
  host_.SetSelectedIndex("audio-extract-type", 1);  // the vocals
  for (const char* f : {"audio-extract-format", "audio-pitch-format", "audio-compress-format", "audio-reverse-format",
                        "audio-metadata-format"}) {
    host_.SetText(f, c.format);
  }

  const int32_t item = Add(c.page, song);
  if (c.fault == Fault::kInputDeleted) fs::remove(song);
  if (c.fault == Fault::kFolderReadOnly) {
    ASSERT_TRUE(disk->MakeReadOnly());
  }
  {
    std::unique_ptr<FileSizeLimit> limit;
    if (c.fault == Fault::kFileSizeLimit) limit = std::make_unique<FileSizeLimit>(100 * 1024);
    Start(c.page, item);
    if (c.fault == Fault::kFolderRemoved) {
      // Once the tool writes its partial file, the folder goes.
      ASSERT_TRUE(host_.RunUntil([&] { return Names(out_dir_).size() > 1 || !finished_.empty(); },
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
  const auto e = ElementOf(c.page, item);
  EXPECT_TRUE(e.visible.at(jobs::kStatusFailed));
  EXPECT_FALSE(e.visible.at(jobs::kStatusSuccess));
  EXPECT_TRUE(e.enabled.at(jobs::NamesOf(c.page).start_button));
  EXPECT_EQ(e.tool_tip.at(jobs::kStatusFailed), r.cause);

  if (c.fault == Fault::kFolderRemoved) {
    EXPECT_FALSE(fs::exists(out_dir_));
  } else {
    std::set<std::string> expected = c.left;
    expected.insert(c.result);
    EXPECT_EQ(Names(out_dir_), expected);
    EXPECT_TRUE(testing_support::ReadFile(out_dir_ + "/" + c.result) == "an earlier result") << "replaced";
  }
  if (c.fault != Fault::kInputDeleted) {
    EXPECT_TRUE(testing_support::ReadFile(song) == input_bytes) << "input changed";
  }
  EXPECT_TRUE(fs::is_empty(temp_dir_));
  EXPECT_TRUE(controller_->busyList().empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrixTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace jobs_e2e
