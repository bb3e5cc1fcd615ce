// libFuzzer target: any bytes handed to the WAV reader and the audio adapter must give a code or
// a check failure, never a crash, a hang or a read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "separation/audio/wav_audio_adapter.h"
#include "separation/audio/wav_file.h"
#include "separation/check.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Quiet();
  static fuzz::MemoryFile file;
  const std::string& path = file.Fill(data, size);

  separation::WavFile wav;
  if (wav.Open(path, 0) == separation::kWavOk) {
    std::vector<float> samples;
    // Small reads walk the stream; a huge request must be refused without allocating it.
    for (int i = 0; i < 4 && wav.Read(7, samples) == separation::kWavOk; ++i) {
    }
    wav.Read(uint64_t{1} << 40, samples);
  }

  separation::WavAudioAdapter adapter;
  try {
    const separation::Waveform w = adapter.Load(path, 0.0, 18000.0, -1);
    if (w.data.size() != static_cast<size_t>(w.nb_frames) * static_cast<size_t>(w.nb_channels)) abort();
  } catch (const separation::CheckFailure&) {
  }
  return 0;
}
