// libFuzzer target: ffmpeg's diagnostic text, cut into chunks anywhere, must give a percent in
// range and a bounded buffer, never a crash or an overflow.
#include <cstdlib>
#include <string>
#include <string_view>

#include "jobs/progress_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  // The first byte picks the chunk size, as a pipe would cut the stream.
  const size_t step = 1 + data[0] % 64;
  jobs::ProgressParser parser([](const std::string& line) { (void)line; });
  for (size_t at = 0; at < text.size(); at += step) {
    parser.Feed(text.substr(at, step));
    const int percent = parser.percent();
    if (percent < -1 || percent > 100) abort();
    if (parser.duration_ms() < -1 || parser.position_ms() < -1) abort();
  }
  jobs::ProgressParser::ParseClock(text);
  return 0;
}
