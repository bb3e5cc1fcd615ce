#ifndef JOBS_PROGRESS_PARSER_H_
#define JOBS_PROGRESS_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace jobs {

// Follows ffmpeg's diagnostic output, fed in the pieces the pipe reads return. It picks out the
// input length ("Duration: hh:mm:ss.xx"), the position reached ("time=hh:mm:ss.xx") and the
// end-of-run summary ("muxing overhead:"). Any field or marker cut by the end of a read is
// completed by the next one; only a short tail is kept between reads.
// Not thread-safe: one reader owns it.
class ProgressParser {
 public:
  // Receives the console trace: "outputInfo: <read>", "duration: <field>",
  // "duration: <ms>", "posStr: <field>".
  using TraceSink = std::function<void(const std::string& line)>;

  explicit ProgressParser(TraceSink trace = {});

  void Feed(std::string_view chunk);

  // Input length in milliseconds; -1 while unknown (not seen yet, or "N/A").
  int64_t duration_ms() const { return duration_ms_; }
  // Latest position in milliseconds; -1 before the first one. Negative times count as 0.
  int64_t position_ms() const { return position_ms_; }
  // 0..100 from position and duration, 100 once the summary was seen; -1 until known.
  int percent() const;
  bool duration_seen() const { return duration_seen_; }
  // ffmpeg wrote "muxing overhead:", i.e. the run completed.
  bool finished() const { return finished_; }
  // Text held back for the next read (bounded).
  size_t buffered_bytes() const { return pending_.size(); }

  // "[-]h:mm:ss[.fff]" (ffmpeg writes hundredths) to milliseconds; nothing when malformed.
  static std::optional<int64_t> ParseClock(std::string_view text);

 private:
  void Trace(std::string_view head, std::string_view text) const;
  void TakeDuration(std::string_view field);
  void TakePosition(std::string_view field);

  TraceSink trace_;
  std::string pending_;
  bool duration_seen_ = false;
  bool finished_ = false;
  int64_t duration_ms_ = -1;
  int64_t position_ms_ = -1;
};

}  // namespace jobs

#endif  // JOBS_PROGRESS_PARSER_H_
