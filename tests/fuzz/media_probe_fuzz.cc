// libFuzzer target: any bytes handed to the media probe give a duration or -1, never a crash,
// a hang or a negative or non-finite time.
#include <cmath>
#include <cstdlib>

#include "jobs/media_probe.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Quiet();
  static fuzz::MemoryFile file;
  const double seconds = jobs::ProbeMediaDuration(file.Fill(data, size));
  if (!(seconds == -1.0 || (std::isfinite(seconds) && seconds >= 0))) abort();
  if (jobs::FormatDurationText(seconds).size() < 8) abort();
  return 0;
}
