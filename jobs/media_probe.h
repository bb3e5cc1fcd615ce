#ifndef JOBS_MEDIA_PROBE_H_
#define JOBS_MEDIA_PROBE_H_

#include <cstdint>
#include <string>

namespace jobs {

// Playing time in seconds of the first audio or video stream (the container's when the stream
// has none); -1.0 when the file cannot be read, has no audio or video, or no known length.
double ProbeMediaDuration(std::string path);

// "512B", "3KB" (whole KiB), "1.50M", "2.00G"; M and G are computed in single precision.
std::string FormatFileSize(int64_t size);

// "hh:mm:ss" with the seconds truncated; hours may have more than two digits. Negative, NaN or
// unknown (-1) durations give "00:00:00", so a list never shows a broken time.
std::string FormatDurationText(double seconds);

}  // namespace jobs

#endif  // JOBS_MEDIA_PROBE_H_
