#include "jobs/progress_parser.h"

#include <algorithm>

namespace jobs {

namespace {

constexpr std::string_view kDurationTag = "Duration: ";
constexpr std::string_view kTimeTag = "time=";
constexpr std::string_view kMarker = "muxing overhead:";
// Enough to find any tag or the marker that starts in one read and ends in the next.
constexpr size_t kTailKeep = kMarker.size() - 1;
// A longer run without an end is not a clock; it is dropped instead of waited for.
constexpr size_t kMaxFieldLength = 24;
constexpr size_t kStandardFieldLength = 11;  // hh:mm:ss.xx

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "N/A" is taken as a field too, so that it ends like any other value.
bool IsFieldChar(char c) {
  return IsDigit(c) || c == ':' || c == '.' || c == '-' || c == 'N' || c == '/' || c == 'A';
}

bool IsStandardClock(std::string_view s) {
  static constexpr std::string_view kPattern = "dd:dd:dd.dd";
  if (s.size() != kPattern.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (kPattern[i] == 'd' ? !IsDigit(s[i]) : s[i] != kPattern[i]) return false;
  }
  return true;
}

struct Field {
  bool complete;
  size_t length;
};

// The usual form is complete as soon as its 11 characters are there; anything else (more hour
// digits, a sign, N/A) ends at the first character that cannot belong to it.
Field ScanField(std::string_view text, size_t start) {
  if (text.size() >= start + kStandardFieldLength &&
      IsStandardClock(text.substr(start, kStandardFieldLength))) {
    return {true, kStandardFieldLength};
  }
  size_t end = start;
  while (end < text.size() && IsFieldChar(text[end])) {
    ++end;
    if (end - start >= kMaxFieldLength) return {true, end - start};
  }
  if (end == text.size()) return {false, 0};
  return {true, end - start};
}

// Reads 1..max_digits digits at pos; advances pos.
std::optional<int64_t> ReadNumber(std::string_view s, size_t& pos, size_t max_digits) {
  size_t start = pos;
  int64_t value = 0;
  while (pos < s.size() && IsDigit(s[pos]) && pos - start < max_digits) {
    value = value * 10 + (s[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

}  // namespace

ProgressParser::ProgressParser(TraceSink trace) : trace_(std::move(trace)) {}

std::optional<int64_t> ProgressParser::ParseClock(std::string_view text) {
  size_t pos = 0;
  bool negative = !text.empty() && text[0] == '-';
  if (negative) ++pos;
  // Nine hour digits keep every product below far from overflow.
  std::optional<int64_t> hours = ReadNumber(text, pos, 9);
  if (!hours || pos >= text.size() || text[pos++] != ':') return std::nullopt;
  std::optional<int64_t> minutes = ReadNumber(text, pos, 2);
  if (!minutes || *minutes > 59 || pos >= text.size() || text[pos++] != ':') return std::nullopt;
  std::optional<int64_t> seconds = ReadNumber(text, pos, 2);
  if (!seconds || *seconds > 59) return std::nullopt;
  int64_t millis = 0;
  if (pos < text.size()) {
    if (text[pos++] != '.') return std::nullopt;
    size_t start = pos;
    std::optional<int64_t> fraction = ReadNumber(text, pos, 3);
    if (!fraction) return std::nullopt;
    millis = *fraction;
    for (size_t digits = pos - start; digits < 3; ++digits) millis *= 10;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;  // finer than a millisecond
    if (pos != text.size()) return std::nullopt;
  }
  int64_t total = *hours * 3600000 + *minutes * 60000 + *seconds * 1000 + millis;
  return negative ? -total : total;
}

void ProgressParser::Trace(std::string_view head, std::string_view text) const {
  if (!trace_) return;
  std::string line(head);
  line.append(text);
  trace_(line);
}

void ProgressParser::TakeDuration(std::string_view field) {
  duration_seen_ = true;
  Trace("duration: ", field);
  std::optional<int64_t> ms = ParseClock(field);
  duration_ms_ = ms && *ms >= 0 ? *ms : -1;
  Trace("duration: ", std::to_string(duration_ms_));
}

void ProgressParser::TakePosition(std::string_view field) {
  Trace("posStr: ", field);
  // ffmpeg prints negative times before the first timestamp and N/A when it has none.
  if (std::optional<int64_t> ms = ParseClock(field)) position_ms_ = std::max<int64_t>(*ms, 0);
}

void ProgressParser::Feed(std::string_view chunk) {
  if (chunk.empty()) return;
  Trace("outputInfo: ", chunk);
  pending_.append(chunk);
  if (!finished_ && pending_.find(kMarker) != std::string::npos) finished_ = true;

  const std::string_view text = pending_;
  size_t keep_from = std::string::npos;  // start of a tag whose field the next read completes
  size_t consumed = 0;                   // end of the last field taken
  if (!duration_seen_) {
    size_t at = text.find(kDurationTag);
    if (at != std::string::npos) {
      size_t start = at + kDurationTag.size();
      Field field = ScanField(text, start);
      if (field.complete) {
        TakeDuration(text.substr(start, field.length));
        consumed = start + field.length;
      } else {
        keep_from = at;
      }
    }
  }
  // Positions after the duration in the same read count too, and the last one wins.
  for (size_t at = text.find(kTimeTag, consumed); at != std::string::npos;
       at = text.find(kTimeTag, consumed)) {
    size_t start = at + kTimeTag.size();
    Field field = ScanField(text, start);
    if (!field.complete) {
      keep_from = std::min(keep_from, at);
      break;
    }
    TakePosition(text.substr(start, field.length));
    consumed = start + field.length;
  }

  size_t tail_start = text.size() > kTailKeep ? text.size() - kTailKeep : 0;
  size_t cut = std::min(std::max(consumed, tail_start), keep_from);
  pending_.erase(0, cut);
}

int ProgressParser::percent() const {
  if (finished_) return 100;
  if (duration_ms_ <= 0 || position_ms_ < 0) return -1;
  int64_t p = position_ms_ * 100 / duration_ms_;
  return static_cast<int>(std::clamp<int64_t>(p, 0, 100));
}

}  // namespace jobs
