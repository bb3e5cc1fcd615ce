#ifndef SEPARATION_AUDIO_AUDIO_ADAPTER_H_
#define SEPARATION_AUDIO_AUDIO_ADAPTER_H_

#include <cstdint>
#include <string>

#include "separation/audio/waveform.h"

namespace separation {

// Moves waveforms between audio files and memory. Failures throw CheckFailure.
class IAudioAdapter {
 public:
  virtual ~IAudioAdapter() = default;
  // Reads `path`; sample_rate -1 keeps the file's own rate.
  virtual Waveform Load(const std::string& path, double offset, double duration, int32_t sample_rate) = 0;
  // Writes `waveform` to `path`; sample_rate -1 keeps the header's rate.
  virtual void Save(const std::string& path, const Waveform& waveform, int32_t sample_rate, const std::string& codec,
                    int32_t bitrate) = 0;
  // Properties of the last file loaded.
  virtual AudioProperties GetProperties() = 0;
};

}  // namespace separation

#endif  // SEPARATION_AUDIO_AUDIO_ADAPTER_H_
