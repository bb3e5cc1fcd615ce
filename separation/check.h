// Checks whose failure ends the current operation, not the process.
//
// SEPARATION_CHECK(condition) << "text" behaves like glog's CHECK, except that a failure logs
// the message at ERROR and throws CheckFailure, whose what() is "Check failed: <condition> <text>".
#ifndef SEPARATION_CHECK_H_
#define SEPARATION_CHECK_H_

#include <sstream>
#include <stdexcept>
#include <string>

namespace separation {

class CheckFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace internal {

class CheckMessage {
 public:
  explicit CheckMessage(const char* condition) { stream_ << "Check failed: " << condition << ' '; }
  template <typename T>
  CheckMessage& operator<<(const T& value) {
    stream_ << value;
    return *this;
  }
  std::string str() const { return stream_.str(); }

 private:
  std::ostringstream stream_;
};

class CheckThrower {
 public:
  CheckThrower(const char* file, int line) : file_(file), line_(line) {}
  // Lower precedence than <<, so the whole message is built first.
  [[noreturn]] void operator&(const CheckMessage& message) const;

 private:
  const char* file_;
  int line_;
};

}  // namespace internal
}  // namespace separation

#define SEPARATION_CHECK(condition)                              \
  (condition) ? (void)0                                          \
              : ::separation::internal::CheckThrower(__FILE__, __LINE__) & \
                    ::separation::internal::CheckMessage(#condition)

#endif  // SEPARATION_CHECK_H_
