#include "tensorflow/core/platform/status.h"

namespace tensorflow {

Status::Status(error::Code code, std::string message) : code_(code), message_(std::move(message)) {}

std::string Status::ToString() const {
  const char* name = "UNKNOWN";
  switch (code_) {
    case error::OK: return "OK";
    case error::CANCELLED: name = "CANCELLED"; break;
    case error::UNKNOWN: name = "UNKNOWN"; break;
    case error::INVALID_ARGUMENT: name = "INVALID_ARGUMENT"; break;
    case error::NOT_FOUND: name = "NOT_FOUND"; break;
    case error::FAILED_PRECONDITION: name = "FAILED_PRECONDITION"; break;
    case error::INTERNAL: name = "INTERNAL"; break;
    case error::DATA_LOSS: name = "DATA_LOSS"; break;
  }
  return std::string(name) + ": " + message_;
}

}  // namespace tensorflow
