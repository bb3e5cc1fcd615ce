#include "jobs/progress_parser.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/run_program.h"
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

TEST(ParseClockTest, ReadsFfmpegClocksAndRejectsWhatIsNoClock) {
  EXPECT_EQ(ProgressParser::ParseClock("00:03:25.12"), 205120);
  EXPECT_EQ(ProgressParser::ParseClock("01:00:00.00"), 3600000);
  EXPECT_EQ(ProgressParser::ParseClock("123:00:01.5"), 442801500);
  EXPECT_EQ(ProgressParser::ParseClock("00:00:07"), 7000);
  EXPECT_EQ(ProgressParser::ParseClock("00:00:00.123456"), 123);
  EXPECT_EQ(ProgressParser::ParseClock("-00:00:00.02"), -20);
  for (const char* bad : {"", "N/A", "N/A, start", "00:00", "00:60:00.00", "00:00:61.00",
                          "0a:00:00.00", "00:00:00.", "00:00:00.12x", "1234567890:00:00.00",
                          ":00:00.00", "00:00:00,12"}) {
    EXPECT_FALSE(ProgressParser::ParseClock(bad).has_value()) << bad;
  }
}

// Chunks fed one after another, each with the parser's state after it.
struct Step {
  const char* chunk;
  int64_t duration, position;
  int percent;
  bool finished, duration_seen;
};

TEST(ProgressParserTest, FieldsAndTheMarkerAcrossReads) {
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"duration in hundredths", {{"", -1, -1, -1, false, false},  // nothing known before the first read
                                  {"  Duration: 00:03:25.12, start: 0.000000, bitrate: 128 kb/s\n",
                                   205120, -1, -1, false, true}}},
      // A time= beside the duration counts.
      {"marker in the duration's read", {{"  Duration: 00:00:01.00, start\nsize= 1kB time=00:00:00.50 bitrate=1\n"
                                          "video:0kB muxing overhead: 1.2%\n", 1000, 500, 100, true, true}}},
      {"marker split before a duration", {{"Input #0 muxing ov", -1, -1, -1, false, false},
                                          {"erhead: 0%\n", -1, -1, 100, true, false}}},
      {"marker split after a duration", {{"  Duration: 00:00:02.00, start\n", 2000, -1, -1, false, true},
                                         {"size=1kB time=00:00:02.00 bitrate=1\nvideo:0kB audio:1kB muxing overh",
                                          2000, 2000, 100, false, true},
                                         {"ead: 0.5%\n", 2000, 2000, 100, true, true}}},
      // N/A keeps the last known position.
      {"negative and unknown times", {{"  Duration: 00:00:10.00, start\n", 10000, -1, -1, false, true},
                                      {"size=0kB time=-00:00:00.02 bitrate=N/A\r", 10000, 0, 0, false, true},
                                      {"size=1kB time=00:00:05.00 bitrate=1\r", 10000, 5000, 50, false, true},
                                      {"size=N/A time=N/A bitrate=N/A\r", 10000, 5000, 50, false, true}}},
      {"percent clamped, after a duration", {{"size=1kB time=00:00:05.00 bitrate=1\r", -1, 5000, -1, false, false},
                                             {"  Duration: 00:00:04.00, start\nsize=1kB time=00:00:04.20 bitrate=1\r",
                                              4000, 4200, 100, false, true}}},
      {"unknown duration", {{"  Duration: N/A, start: 0, bitrate: N/A\nsize=1kB time=00:00:03.00 bitrate=1\r",
                             -1, 3000, -1, false, true},
                            {"muxing overhead: 0%\n", -1, 3000, 100, true, true}}},
      {"hours beyond two digits", {{"  Duration: 123:00:00.00, start: 0\n", 442800000, -1, -1, false, true}}},
  };
  for (const auto& c : cases) {
    ProgressParser parser;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(std::string(c.what) + ", read " + std::to_string(i));
      const Step& s = c.steps[i];
      parser.Feed(s.chunk);
      EXPECT_EQ(parser.duration_ms(), s.duration);
      EXPECT_EQ(parser.position_ms(), s.position);
      EXPECT_EQ(parser.percent(), s.percent);
      EXPECT_EQ(parser.finished(), s.finished);
      EXPECT_EQ(parser.duration_seen(), s.duration_seen);
    }
  }
}

TEST(ProgressParserTest, EveryReadSizeGivesTheSameResult) {
  std::vector<std::string> whole_trace;
  ProgressParser whole([&](const std::string& line) { whole_trace.push_back(line); });
  whole.Feed(kLog);
  ASSERT_EQ(whole.duration_ms(), 205120);
  ASSERT_EQ(whole.position_ms(), 205100);
  ASSERT_TRUE(whole.finished());
  EXPECT_EQ(PositionTraces(whole_trace),
            (std::vector<std::string>{"duration: 00:03:25.12", "duration: 205120", "posStr: -00:00:00.02",
                                      "posStr: 00:01:00.50", "posStr: N/A", "posStr: 00:03:25.10"}));
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

TEST(ProgressParserFfmpegTest, ARealConversionReachesTheMarkerAndAFailedOneDoesNot) {
  testing_support::TempDir dir;
  const std::string input =
      testing_support::MakeMedia(dir.File("in.mp3"), {"-f", "lavfi", "-i", "sine=frequency=440:duration=3"});
  const auto run = testing_support::RunProgram("ffmpeg", {"-y", "-i", input, "-ar", "44100", "-ac", "2", dir.File("out.wav")});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  ProgressParser parser;
  // In the pieces a pipe delivers.
  for (size_t at = 0; at < run.output.size(); at += 4095) parser.Feed(std::string_view(run.output).substr(at, 4095));
  EXPECT_TRUE(parser.finished());
  EXPECT_EQ(parser.percent(), 100);
  EXPECT_NEAR(static_cast<double>(parser.duration_ms()), 3000.0, 100.0);
  EXPECT_GT(parser.position_ms(), 2800);

  const auto failed = testing_support::RunProgram("ffmpeg", {"-y", "-i", dir.File("missing.mp3"), dir.File("out.wav")});
  EXPECT_NE(failed.exit_code, 0);
  ProgressParser none;
  none.Feed(failed.output);
  EXPECT_FALSE(none.finished());
  EXPECT_EQ(none.percent(), -1);
}

}  // namespace
}  // namespace jobs
