// Stand-in for the TensorFlow status type: an error code and a message, OK when the code is 0.
#ifndef TENSORFLOW_CORE_PLATFORM_STATUS_H_
#define TENSORFLOW_CORE_PLATFORM_STATUS_H_

#include <string>

namespace tensorflow {
namespace error {
enum Code {
  OK = 0,
  CANCELLED = 1,
  UNKNOWN = 2,
  INVALID_ARGUMENT = 3,
  NOT_FOUND = 5,
  FAILED_PRECONDITION = 9,
  INTERNAL = 13,
  DATA_LOSS = 15,
};
}  // namespace error

class Status {
 public:
  Status() = default;
  Status(error::Code code, std::string message);

  static Status OK() { return Status(); }

  bool ok() const { return code_ == error::OK; }
  error::Code code() const { return code_; }
  const std::string& error_message() const { return message_; }
  const std::string& message() const { return message_; }
  // "OK" or the code's name followed by ": " and the message.
  std::string ToString() const;

 private:
  error::Code code_ = error::OK;
  std::string message_;
};

namespace errors {
inline Status InvalidArgument(std::string m) { return Status(error::INVALID_ARGUMENT, std::move(m)); }
inline Status NotFound(std::string m) { return Status(error::NOT_FOUND, std::move(m)); }
inline Status FailedPrecondition(std::string m) { return Status(error::FAILED_PRECONDITION, std::move(m)); }
inline Status Internal(std::string m) { return Status(error::INTERNAL, std::move(m)); }
inline Status DataLoss(std::string m) { return Status(error::DATA_LOSS, std::move(m)); }
}  // namespace errors

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_PLATFORM_STATUS_H_
