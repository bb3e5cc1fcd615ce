#ifndef SEPARATION_AUDIO_WAVEFORM_H_
#define SEPARATION_AUDIO_WAVEFORM_H_

#include <cstdint>
#include <vector>

namespace separation {

// Audio in memory: nb_frames x nb_channels float samples, interleaved frame by frame,
// full scale -1..1. The sample rate is not part of the record.
struct Waveform {
  int32_t nb_frames = 0;
  int32_t nb_channels = 0;
  std::vector<float> data;
};

// One waveform per model output, in the order of the output names.
using Waveforms = std::vector<Waveform>;

struct AudioProperties {
  int64_t nb_frames = 0;
  int64_t nb_channels = 0;
  int32_t sample_rate = 0;
};

}  // namespace separation

#endif  // SEPARATION_AUDIO_WAVEFORM_H_
