#include "jobs/media_probe.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace jobs {

namespace {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

// A duration in microseconds, or -1 when it is missing or cannot be represented.
int64_t ToMicroseconds(int64_t duration, AVRational time_base) {
  if (duration == AV_NOPTS_VALUE || duration < 0 || time_base.den == 0) return -1;
  double us = static_cast<double>(time_base.num) / static_cast<double>(time_base.den) *
              static_cast<double>(duration) * 1000000.0;
  // Guard the truncating cast, which is undefined outside the 64-bit range.
  if (!std::isfinite(us) || us < 0.0 || us >= 9.2e18) return -1;
  return static_cast<int64_t>(us);
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

}  // namespace

double ProbeMediaDuration(std::string path) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0 || raw == nullptr) {
    return -1.0;
  }
  InputPtr input(raw);
  // Its result does not matter: whatever it learned is in the stream records.
  avformat_find_stream_info(input.get(), nullptr);

  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVStream* stream = input->streams[i];
    AVMediaType type = stream->codecpar->codec_type;
    if (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_VIDEO) continue;
    int64_t us = ToMicroseconds(stream->duration, stream->time_base);
    if (us < 0) us = ToMicroseconds(input->duration, AVRational{1, AV_TIME_BASE});
    return us < 0 ? -1.0 : static_cast<double>(us) / 1000000.0;
  }
  return -1.0;
}

std::string FormatFileSize(int64_t size) {
  if (size < 1024) return Printf("%lldB", static_cast<long long>(size));
  if (size < (int64_t{1} << 20)) return Printf("%lldKB", static_cast<long long>(size >> 10));
  if (size < (int64_t{1} << 30)) {
    float mib = static_cast<float>(size) * (1.0f / 1048576.0f);
    return Printf("%.2fM", static_cast<double>(mib));
  }
  float gib = static_cast<float>(size) * (1.0f / 1073741824.0f);
  return Printf("%.2fG", static_cast<double>(gib));
}

std::string FormatDurationText(double seconds) {
  // Past this the whole-second count would not fit in 64 bits; such lengths are bogus anyway.
  constexpr double kLongest = 9.0e15;
  long long s = 0;
  if (std::isfinite(seconds) && seconds > 0.0) {
    s = seconds < kLongest ? static_cast<long long>(seconds) : static_cast<long long>(kLongest);
  }
  long long hours = s / 3600;
  long long rest = s - hours * 3600;
  long long minutes = rest / 60;
  return Printf("%02lld:%02lld:%02lld", hours, minutes, rest - minutes * 60);
}

}  // namespace jobs
