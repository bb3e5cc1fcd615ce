#ifndef SEPARATION_AUDIO_WAV_AUDIO_ADAPTER_H_
#define SEPARATION_AUDIO_WAV_AUDIO_ADAPTER_H_

#include "separation/audio/audio_adapter.h"

namespace separation {

// The adapter for uncompressed PCM WAV files. It does no decoding, resampling or remixing:
// Load reads the whole file at its own rate and channel count, and Save always writes 16-bit
// PCM whatever codec and bitrate it is given. No file stays open between calls.
class WavAudioAdapter : public IAudioAdapter {
 public:
  WavAudioAdapter() = default;
  WavAudioAdapter(const WavAudioAdapter&) = delete;
  WavAudioAdapter& operator=(const WavAudioAdapter&) = delete;

  // offset, duration and sample_rate are not acted upon.
  Waveform Load(const std::string& path, double offset, double duration, int32_t sample_rate) override;
  // codec and bitrate are not acted upon; the header takes the waveform's channel count.
  // The file appears under `path` only when complete; a failed write throws WriteFailure (or
  // CheckFailure for an unusable waveform) and leaves nothing behind.
  void Save(const std::string& path, const Waveform& waveform, int32_t sample_rate, const std::string& codec,
            int32_t bitrate) override;
  AudioProperties GetProperties() override { return properties_; }

 private:
  AudioProperties properties_;
  unsigned save_count_ = 0;
};

}  // namespace separation

#endif  // SEPARATION_AUDIO_WAV_AUDIO_ADAPTER_H_
