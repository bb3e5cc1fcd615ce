#include "jobs/media_probe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/jobs/jobs_test_util.h"
#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

class MediaProbeTest : public testing::Test {
 protected:
  testing_support::TempDir dir_;
};

TEST_F(MediaProbeTest, Mp3Length) {
  std::string path = dir_.File("tone.mp3");
  jobs_test::MakeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=3.5", path});
  EXPECT_NEAR(ProbeMediaDuration(path), 3.5, 0.1);
}

TEST_F(MediaProbeTest, WavLengthIsExact) {
  std::string path = dir_.File("tone.wav");
  jobs_test::MakeMedia(
      {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1.25", path});
  EXPECT_NEAR(ProbeMediaDuration(path), 1.25, 0.001);
}

TEST_F(MediaProbeTest, VideoWithoutAudioUsesTheVideoStream) {
  std::string path = dir_.File("pictures.mkv");
  jobs_test::MakeMedia({"-f", "lavfi", "-i", "testsrc=duration=2:size=64x48:rate=10", "-c:v",
                        "mpeg4", path});
  EXPECT_NEAR(ProbeMediaDuration(path), 2.0, 0.15);
}

TEST_F(MediaProbeTest, UnreadableFilesGiveMinusOne) {
  std::string text = dir_.File("notes.mp3");
  testing_support::WriteFile(text, "these are not the sounds you are looking for\n");
  EXPECT_EQ(ProbeMediaDuration(text), -1.0);
  EXPECT_EQ(ProbeMediaDuration(dir_.File("missing.mp3")), -1.0);
  EXPECT_EQ(ProbeMediaDuration(""), -1.0);
  testing_support::WriteFile(dir_.File("empty.wav"), "");
  EXPECT_EQ(ProbeMediaDuration(dir_.File("empty.wav")), -1.0);
}

TEST_F(MediaProbeTest, SubtitlesAloneHaveNoDuration) {
  std::string path = dir_.File("lines.srt");
  testing_support::WriteFile(path, "1\n00:00:00,000 --> 00:00:05,000\nhello\n\n");
  EXPECT_EQ(ProbeMediaDuration(path), -1.0);
}

TEST(FileSizeTextTest, Bytes) {
  EXPECT_EQ(FormatFileSize(0), "0B");
  EXPECT_EQ(FormatFileSize(1023), "1023B");
}

TEST(FileSizeTextTest, WholeKilobytesRoundedDown) {
  EXPECT_EQ(FormatFileSize(1024), "1KB");
  EXPECT_EQ(FormatFileSize(2047), "1KB");
  EXPECT_EQ(FormatFileSize(1048575), "1023KB");
}

TEST(FileSizeTextTest, MegaAndGigabytes) {
  EXPECT_EQ(FormatFileSize(1048576), "1.00M");
  EXPECT_EQ(FormatFileSize(1572864), "1.50M");
  EXPECT_EQ(FormatFileSize(1073741824), "1.00G");
  EXPECT_EQ(FormatFileSize(5LL << 30), "5.00G");
  EXPECT_EQ(FormatFileSize(3LL << 40), "3072.00G");
}

TEST(FileSizeTextTest, DividedInSinglePrecision) {
  // In double precision these would print 64.01M and 1.01G.
  EXPECT_EQ(FormatFileSize(67114107), "64.00M");
  EXPECT_EQ(FormatFileSize(1079110534), "1.00G");
  // Just below 2^30 rounds up to 1024 in single precision, still in the M range.
  EXPECT_EQ(FormatFileSize(1073741823), "1024.00M");
}

TEST(DurationTextTest, TruncatesToWholeSeconds) {
  EXPECT_EQ(FormatDurationText(3725.9), "01:02:05");
  EXPECT_EQ(FormatDurationText(205.6), "00:03:25");
  EXPECT_EQ(FormatDurationText(59.999), "00:00:59");
  EXPECT_EQ(FormatDurationText(0.0), "00:00:00");
}

TEST(DurationTextTest, HoursMayExceedTwoDigits) {
  EXPECT_EQ(FormatDurationText(360000.0), "100:00:00");
  EXPECT_EQ(FormatDurationText(3600.0 * 1234 + 61), "1234:01:01");
}

TEST(DurationTextTest, UnknownOrBogusShowsZero) {
  EXPECT_EQ(FormatDurationText(-1.0), "00:00:00");
  EXPECT_EQ(FormatDurationText(std::nan("")), "00:00:00");
  EXPECT_EQ(FormatDurationText(-std::numeric_limits<double>::infinity()), "00:00:00");
  // Huge values are capped instead of overflowing the integer conversion.
  EXPECT_FALSE(FormatDurationText(std::numeric_limits<double>::infinity()).empty());
  EXPECT_FALSE(FormatDurationText(1e300).empty());
}

}  // namespace
}  // namespace jobs
