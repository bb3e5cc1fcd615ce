#include "separation/audio/wav_audio_adapter.h"

#include <glog/logging.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "separation/audio/wav_file.h"
#include "separation/check.h"
#include "separation/write_failure.h"

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
  // Written under a partial name and renamed when complete: a failure leaves no truncated
  // file under the result's name, and an earlier file of that name stays until then.
  const std::string partial = PartialPathFor(path, std::to_string(++save_count_));
  WavFile file;
  int ret = file.Open(partial, WavFile::kWrite);
  if (ret == kWavOpenFailed) throw WriteFailure(path, file.error());
  if (sample_rate != -1) file.header().sample_rate = static_cast<uint32_t>(sample_rate);
  // The header describes the waveform's own channels; an empty waveform keeps a stereo header.
  const int32_t channels = waveform.nb_channels > 0 ? waveform.nb_channels : 2;
  if (!ret) ret = channels > std::numeric_limits<uint16_t>::max() ? kWavUnacceptable : kWavOk;
  if (!ret) {
    file.header().num_channels = static_cast<uint16_t>(channels);
    ret = file.Write(waveform.data);
  }
  // Buffered samples reach the disk only now; a full disk shows here.
  const int closed = file.Close();
  if (!ret) ret = closed;
  int error = file.error();
  if (!ret && std::rename(partial.c_str(), path.c_str()) != 0) {
    error = errno;
    ret = kWavHeaderWriteFailed;
  }
  if (ret) {
    std::error_code ec;
    std::filesystem::remove(partial, ec);
    LOG(ERROR) << "Unable to write to " << path << "! (Returned: " << ret << ", " << WriteErrorText(error) << ")";
    if (ret == kWavHeaderWriteFailed) throw WriteFailure(path, error);
    SEPARATION_CHECK(!ret) << "Unable to write to " << path << "! (Returned: " << ret << ")";
  }
  LOG(INFO) << "Saved waveform to " << path << " using WavFile.";
}

}  // namespace separation
