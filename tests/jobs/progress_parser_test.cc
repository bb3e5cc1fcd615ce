#include "jobs/progress_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "jobs/child_process.h"
#include "tests/jobs/jobs_test_util.h"
#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

// What ffmpeg 5.1 writes for a conversion, progress lines separated by carriage returns.
const char kLog[] =
    "Input #0, mp3, from 'in.mp3':\n"
    "  Metadata:\n    encoder         : Lavf59.27.100\n"
    "  Duration: 00:03:25.12, start: 0.025057, bitrate: 128 kb/s\n"
    "  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n"
    "Output #0, wav, to 'out.wav':\n"
    "size=       0kB time=-00:00:00.02 bitrate=N/A speed=N/A    \r"
    "size=    1024kB time=00:01:00.50 bitrate=1411.2kbits/s speed= 120x    \r"
    "size=    N/A time=N/A bitrate=N/A speed=N/A    \r"
    "size=   35336kB time=00:03:25.10 bitrate=1411.2kbits/s speed= 130x    \n"
    "video:0kB audio:35336kB subtitle:0kB other streams:0kB global headers:0kB "
    "muxing overhead: 0.000216%\n";

std::vector<std::string> PositionTraces(const std::vector<std::string>& trace) {
  std::vector<std::string> out;
  for (const std::string& line : trace) {
    if (line.rfind("posStr: ", 0) == 0 || line.rfind("duration: ", 0) == 0) out.push_back(line);
  }
  return out;
}

TEST(ParseClockTest, ReadsFfmpegClocks) {
  EXPECT_EQ(ProgressParser::ParseClock("00:03:25.12"), 205120);
  EXPECT_EQ(ProgressParser::ParseClock("01:00:00.00"), 3600000);
  EXPECT_EQ(ProgressParser::ParseClock("123:00:01.5"), 442801500);
  EXPECT_EQ(ProgressParser::ParseClock("00:00:07"), 7000);
  EXPECT_EQ(ProgressParser::ParseClock("00:00:00.123456"), 123);
  EXPECT_EQ(ProgressParser::ParseClock("-00:00:00.02"), -20);
}

TEST(ParseClockTest, RejectsWhatIsNoClock) {
  for (const char* bad : {"", "N/A", "N/A, start", "00:00", "00:60:00.00", "00:00:61.00",
                          "0a:00:00.00", "00:00:00.", "00:00:00.12x", "1234567890:00:00.00",
                          ":00:00.00", "00:00:00,12"}) {
    EXPECT_FALSE(ProgressParser::ParseClock(bad).has_value()) << bad;
  }
}

TEST(ProgressParserTest, DurationInHundredthsAndTrace) {
  std::vector<std::string> trace;
  ProgressParser parser([&](const std::string& line) { trace.push_back(line); });
  EXPECT_EQ(parser.duration_ms(), -1);
  parser.Feed("  Duration: 00:03:25.12, start: 0.000000, bitrate: 128 kb/s\n");
  EXPECT_TRUE(parser.duration_seen());
  EXPECT_EQ(parser.duration_ms(), 205120);
  EXPECT_EQ(PositionTraces(trace),
            (std::vector<std::string>{"duration: 00:03:25.12", "duration: 205120"}));
  EXPECT_EQ(parser.percent(), -1) << "no position yet";
  EXPECT_FALSE(parser.finished());
}

TEST(ProgressParserTest, MarkerInTheSameReadAsTheDurationIsKept) {
  ProgressParser parser;
  parser.Feed("  Duration: 00:00:01.00, start\nsize= 1kB time=00:00:00.50 bitrate=1\n"
              "video:0kB muxing overhead: 1.2%\n");
  EXPECT_EQ(parser.duration_ms(), 1000);
  EXPECT_EQ(parser.position_ms(), 500) << "a time= beside the duration counts";
  EXPECT_TRUE(parser.finished());
  EXPECT_EQ(parser.percent(), 100);
}

TEST(ProgressParserTest, MarkerSplitAcrossReads) {
  ProgressParser before_duration;
  before_duration.Feed("Input #0 muxing ov");
  before_duration.Feed("erhead: 0%\n");
  EXPECT_TRUE(before_duration.finished());

  ProgressParser after_duration;
  after_duration.Feed("  Duration: 00:00:02.00, start\n");
  after_duration.Feed("size=1kB time=00:00:02.00 bitrate=1\nvideo:0kB audio:1kB muxing overh");
  EXPECT_FALSE(after_duration.finished());
  after_duration.Feed("ead: 0.5%\n");
  EXPECT_TRUE(after_duration.finished());
}

TEST(ProgressParserTest, DurationAndTimeSplitAcrossReads) {
  ProgressParser parser;
  parser.Feed("  Durat");
  parser.Feed("ion: 00:03:2");
  EXPECT_FALSE(parser.duration_seen());
  parser.Feed("5.12, start: 0\nsize=1kB time=00:0");
  EXPECT_EQ(parser.duration_ms(), 205120);
  EXPECT_EQ(parser.position_ms(), -1);
  parser.Feed("1:02.50 bitrate=1");
  EXPECT_EQ(parser.position_ms(), 62500);
  EXPECT_EQ(parser.percent(), 30);  // 62500 * 100 / 205120
}

TEST(ProgressParserTest, NegativeAndUnknownTimes) {
  ProgressParser parser;
  parser.Feed("  Duration: 00:00:10.00, start\n");
  parser.Feed("size=0kB time=-00:00:00.02 bitrate=N/A\r");
  EXPECT_EQ(parser.position_ms(), 0);
  EXPECT_EQ(parser.percent(), 0);
  parser.Feed("size=1kB time=00:00:05.00 bitrate=1\r");
  parser.Feed("size=N/A time=N/A bitrate=N/A\r");
  EXPECT_EQ(parser.position_ms(), 5000) << "N/A keeps the last known position";
  EXPECT_EQ(parser.percent(), 50);
}

TEST(ProgressParserTest, PercentIsClampedAndWaitsForADuration) {
  ProgressParser parser;
  parser.Feed("size=1kB time=00:00:05.00 bitrate=1\r");
  EXPECT_EQ(parser.position_ms(), 5000);
  EXPECT_EQ(parser.percent(), -1);
  parser.Feed("  Duration: 00:00:04.00, start\nsize=1kB time=00:00:04.20 bitrate=1\r");
  EXPECT_EQ(parser.percent(), 100);
}

TEST(ProgressParserTest, UnknownDurationStillFinishes) {
  ProgressParser parser;
  parser.Feed("  Duration: N/A, start: 0, bitrate: N/A\nsize=1kB time=00:00:03.00 bitrate=1\r");
  EXPECT_TRUE(parser.duration_seen());
  EXPECT_EQ(parser.duration_ms(), -1);
  EXPECT_EQ(parser.percent(), -1);
  parser.Feed("muxing overhead: 0%\n");
  EXPECT_EQ(parser.percent(), 100);
}

TEST(ProgressParserTest, HoursBeyondTwoDigits) {
  ProgressParser parser;
  parser.Feed("  Duration: 123:00:00.00, start: 0\n");
  EXPECT_EQ(parser.duration_ms(), 442800000);
}

TEST(ProgressParserTest, EveryReadSizeGivesTheSameResult) {
  std::vector<std::string> whole_trace;
  ProgressParser whole([&](const std::string& line) { whole_trace.push_back(line); });
  whole.Feed(kLog);
  ASSERT_EQ(whole.duration_ms(), 205120);
  ASSERT_EQ(whole.position_ms(), 205100);
  ASSERT_TRUE(whole.finished());
  const std::string log = kLog;
  for (size_t step = 1; step <= log.size(); step += step < 40 ? 1 : 37) {
    std::vector<std::string> trace;
    ProgressParser parser([&](const std::string& line) { trace.push_back(line); });
    for (size_t at = 0; at < log.size(); at += step) parser.Feed(log.substr(at, step));
    EXPECT_EQ(parser.duration_ms(), 205120) << "read size " << step;
    EXPECT_EQ(parser.position_ms(), 205100) << "read size " << step;
    EXPECT_TRUE(parser.finished()) << "read size " << step;
    EXPECT_EQ(PositionTraces(trace), PositionTraces(whole_trace)) << "read size " << step;
  }
}

TEST(ProgressParserTest, HeldBackTextStaysSmall) {
  const std::string noise(4095, 'x');
  ProgressParser parser;
  for (int i = 0; i < 300; ++i) {
    parser.Feed(noise);
    ASSERT_LE(parser.buffered_bytes(), 64u);
  }
  parser.Feed("  Duration: 00:00:09.00, start\n");
  std::string line = "size=1kB time=00:00:01.00 bitrate=1\r";
  for (int i = 0; i < 2000; ++i) {
    parser.Feed(line);
    ASSERT_LE(parser.buffered_bytes(), 64u);
  }
  // A run of clock characters that never ends is dropped, not waited for.
  parser.Feed("time=" + std::string(5000, '1'));
  EXPECT_LE(parser.buffered_bytes(), 64u);
  EXPECT_EQ(parser.duration_ms(), 9000);
}

TEST(ProgressParserFfmpegTest, RealConversionReachesTheMarker) {
  testing_support::TempDir dir;
  std::string input = dir.File("in.mp3");
  jobs_test::MakeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=3", input});
  ChildProcess child = ChildProcess::Start(
      {jobs_test::Ffmpeg(), "-y", "-i", input, "-ar", "44100", "-ac", "2", dir.File("out.wav")},
      OutputMode::kCapture);
  ASSERT_TRUE(child.ok()) << child.error();
  UniqueFd out = child.TakeOutput();
  ProgressParser parser;
  std::vector<char> buffer(4095);
  for (;;) {
    ssize_t n = ::read(out.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    parser.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
  }
  EXPECT_EQ(child.Wait().code, 0);
  EXPECT_TRUE(parser.finished());
  EXPECT_EQ(parser.percent(), 100);
  EXPECT_NEAR(static_cast<double>(parser.duration_ms()), 3000.0, 100.0);
  EXPECT_GT(parser.position_ms(), 2800);
}

TEST(ProgressParserFfmpegTest, FailedRunHasNoMarker) {
  testing_support::TempDir dir;
  ChildProcess child = ChildProcess::Start(
      {jobs_test::Ffmpeg(), "-y", "-i", dir.File("missing.mp3"), dir.File("out.wav")},
      OutputMode::kCapture);
  ASSERT_TRUE(child.ok()) << child.error();
  UniqueFd out = child.TakeOutput();
  ProgressParser parser;
  parser.Feed(jobs_test::ReadAll(out.get()));
  EXPECT_NE(child.Wait().code, 0);
  EXPECT_FALSE(parser.finished());
  EXPECT_EQ(parser.percent(), -1);
}

}  // namespace
}  // namespace jobs
