#include "net/json_text.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <memory>

namespace net::internal {

std::optional<Json::Value> ParseJson(const std::string& text) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["stackLimit"] = 256;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return {};
  } catch (const std::exception&) {  // the nesting limit is reported by an exception
    return {};
  }
  return root;
}

bool IsIntegerZero(const Json::Value& value) {
  return value.isIntegral() && value.isInt64() && value.asInt64() == 0;
}

std::optional<long long> LeadingInteger(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(begin, &end, 10);
  if (end == begin || errno == ERANGE) return {};
  return number;
}

}  // namespace net::internal
