#ifndef NET_JSON_TEXT_H_
#define NET_JSON_TEXT_H_

#include <json/json.h>

#include <optional>
#include <string>

// JSON helpers shared by the upgrade check and the feedback. Internal to net/.
namespace net::internal {

// `text` parsed as one JSON value, or nothing when it is not JSON (an empty text included).
// Nesting is bounded, so a hostile answer cannot exhaust the stack.
std::optional<Json::Value> ParseJson(const std::string& text);

// True when `value` is an integral number equal to 0 (not a boolean, not a text).
bool IsIntegerZero(const Json::Value& value);

// The leading decimal integer of `text` the way the C library reads one: blanks, an optional
// sign, digits, anything after them ignored. Nothing when there are no digits or the number
// does not fit in a long long.
std::optional<long long> LeadingInteger(const std::string& text);

}  // namespace net::internal

#endif  // NET_JSON_TEXT_H_
