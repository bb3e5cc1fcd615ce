#include "jobs/media_probe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

TEST(MediaProbeTest, LengthOfAudioOrVideoElseMinusOne) {
  testing_support::TempDir dir;
  const struct {
    const char* name;
    std::vector<std::string> args;
    double seconds, tolerance;
  } media[] = {
      {"tone.mp3", {"-f", "lavfi", "-i", "sine=frequency=440:duration=3.5"}, 3.5, 0.1},
      {"tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1.25"}, 1.25, 0.001},
      // Video without audio: the video stream's length.
      {"pictures.mkv", {"-f", "lavfi", "-i", "testsrc=duration=2:size=64x48:rate=10", "-c:v", "mpeg4"}, 2.0, 0.15},
  };
  for (const auto& m : media) {
    EXPECT_NEAR(ProbeMediaDuration(testing_support::MakeMedia(dir.File(m.name), m.args)), m.seconds, m.tolerance)
        << m.name;
  }
  const struct {
    const char* name;
    const char* bytes;
  } unreadable[] = {
      {"notes.mp3", "these are not the sounds you are looking for\n"},
      {"empty.wav", ""},
      {"lines.srt", "1\n00:00:00,000 --> 00:00:05,000\nhello\n\n"},  // subtitles alone have no duration
  };
  for (const auto& u : unreadable) {
    testing_support::WriteFile(dir.File(u.name), u.bytes);
    EXPECT_EQ(ProbeMediaDuration(dir.File(u.name)), -1.0) << u.name;
  }
  EXPECT_EQ(ProbeMediaDuration(dir.File("missing.mp3")), -1.0);
  EXPECT_EQ(ProbeMediaDuration(""), -1.0);
}

TEST(FileSizeTextTest, BytesWholeKilobytesThenMegaAndGigabytesInSinglePrecision) {
  const struct {
    int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0B"}, {1023, "1023B"}, {1024, "1KB"}, {2047, "1KB"}, {1048575, "1023KB"},  // kilobytes round down
      {1048576, "1.00M"}, {1572864, "1.50M"}, {1073741824, "1.00G"}, {5LL << 30, "5.00G"}, {3LL << 40, "3072.00G"},
      // In double precision these would print 64.01M and 1.01G.
      {67114107, "64.00M"}, {1079110534, "1.00G"},
      // Just below 2^30 rounds up to 1024 in single precision, still in the M range.
      {1073741823, "1024.00M"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFileSize(c.bytes), c.text) << c.bytes;
}

TEST(DurationTextTest, WholeSecondsAnyHoursAndZeroForUnknown) {
  const struct {
    double seconds;
    const char* text;
  } cases[] = {
      {3725.9, "01:02:05"}, {205.6, "00:03:25"}, {59.999, "00:00:59"}, {0.0, "00:00:00"},  // truncated
      {360000.0, "100:00:00"}, {3600.0 * 1234 + 61, "1234:01:01"},
      {-1.0, "00:00:00"}, {std::nan(""), "00:00:00"}, {-std::numeric_limits<double>::infinity(), "00:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDurationText(c.seconds), c.text) << c.seconds;
  // Huge values are capped instead of overflowing the integer conversion.
  EXPECT_FALSE(FormatDurationText(std::numeric_limits<double>::infinity()).empty());
  EXPECT_FALSE(FormatDurationText(1e300).empty());
}

}  // namespace
}  // namespace jobs
