#ifndef TESTS_SUPPORT_LOG_CAPTURE_H_
#define TESTS_SUPPORT_LOG_CAPTURE_H_

#include <glog/logging.h>

#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

struct LogLine {
  google::LogSeverity severity;
  std::string file;  // the source file's base name
  std::string message;
};

// Collects every glog line written while it lives.
class LogCapture : public google::LogSink {
 public:
  LogCapture() { google::AddLogSink(this); }
  ~LogCapture() override { google::RemoveLogSink(this); }

  void send(google::LogSeverity severity, const char* /*full_filename*/, const char* base_filename, int /*line*/,
            const google::LogMessageTime& /*time*/, const char* message, size_t message_len) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back({severity, base_filename, std::string(message, message_len)});
  }

  std::vector<LogLine> lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // True when a line of `severity` from `file` has exactly `message`.
  bool Has(google::LogSeverity severity, const std::string& file, const std::string& message) const {
    for (const LogLine& l : lines()) {
      if (l.severity == severity && l.file == file && l.message == message) return true;
    }
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<LogLine> lines_;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_LOG_CAPTURE_H_
