#include "separation/check.h"

#include <glog/logging.h>

namespace separation {
namespace internal {

void CheckThrower::operator&(const CheckMessage& message) const {
  std::string text = message.str();
  google::LogMessage(file_, line_, google::GLOG_ERROR).stream() << text;
  throw CheckFailure(std::move(text));
}

}  // namespace internal
}  // namespace separation
