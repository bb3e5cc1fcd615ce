#include "separation/audio/wav_audio_adapter.h"

#include <glog/logging.h>

#include <algorithm>
#include <limits>

#include "separation/audio/wav_file.h"
#include "separation/check.h"

namespace separation {

Waveform WavAudioAdapter::Load(const std::string& path, double /*offset*/, double /*duration*/,
                               int32_t /*sample_rate*/) {
  WavFile file;
  int ret = file.Open(path, /*direction=*/0);
  SEPARATION_CHECK(!ret) << "Unable to open " << path << ", only *.wav is supported! (Returned: " << ret << ")";

  const WavHeader& header = file.header();
  // A file cut short holds fewer frames than its header says; only the real ones are read.
  const uint64_t data_bytes = std::min<uint64_t>(header.data_size, file.available_data_bytes());
  const uint64_t frames = data_bytes / header.bytes_per_sample() / header.num_channels;
  ret = frames > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ? kWavUnacceptable : kWavOk;
  std::vector<float> samples;
  if (!ret) ret = file.Read(frames, samples);
  SEPARATION_CHECK(!ret) << "Unable to read " << path << ", only *.wav is supported! (Returned: " << ret << ")";

  properties_.nb_frames = static_cast<int64_t>(frames);
  properties_.nb_channels = header.num_channels;
  properties_.sample_rate = static_cast<int32_t>(std::min<uint32_t>(header.sample_rate, std::numeric_limits<int32_t>::max()));
  LOG(INFO) << "Loaded waveform from " << path << " using WavFile.";
  return Waveform{static_cast<int32_t>(frames), static_cast<int32_t>(header.num_channels), std::move(samples)};
}

void WavAudioAdapter::Save(const std::string& path, const Waveform& waveform, int32_t sample_rate,
                           const std::string& /*codec*/, int32_t /*bitrate*/) {
  WavFile file;
  int ret = file.Open(path, WavFile::kWrite);
  SEPARATION_CHECK(!ret) << "Unable to open " << path << "! (Returned: " << ret << ")";
  if (sample_rate != -1) file.header().sample_rate = static_cast<uint32_t>(sample_rate);
  // The header describes the waveform's own channels; an empty waveform keeps a stereo header.
  const int32_t channels = waveform.nb_channels > 0 ? waveform.nb_channels : 2;
  ret = channels > std::numeric_limits<uint16_t>::max() ? kWavUnacceptable : kWavOk;
  if (!ret) {
    file.header().num_channels = static_cast<uint16_t>(channels);
    ret = file.Write(waveform.data);
  }
  // Buffered samples reach the disk only now; a full disk shows here.
  if (!ret) ret = file.Close();
  SEPARATION_CHECK(!ret) << "Unable to write to " << path << "! (Returned: " << ret << ")";
  LOG(INFO) << "Saved waveform to " << path << " using WavFile.";
}

}  // namespace separation
