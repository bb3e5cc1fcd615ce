#include "net/feedback.h"

#include <json/json.h>

#include <cstdint>
#include <optional>

#include "net/json_text.h"
#include "shell/text.h"

namespace net {

namespace {

void AppendUtf8(std::uint32_t code, std::string& out) {
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// Four hex digits of `text` at `pos`, or nothing.
std::optional<std::uint32_t> Hex4(const std::string& text, size_t pos) {
  if (pos + 4 > text.size()) return {};
  std::uint32_t value = 0;
  for (size_t i = pos; i < pos + 4; ++i) {
    const char c = text[i];
    value <<= 4;
    if (c >= '0' && c <= '9') value |= static_cast<std::uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') value |= static_cast<std::uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') value |= static_cast<std::uint32_t>(c - 'A' + 10);
    else return {};
  }
  return value;
}

// StyledWriter escapes every non-ASCII character as \uXXXX; the service has always received
// the texts as plain UTF-8, so those escapes are turned back. Escapes below U+0080 (control
// characters, quotes) stay as they are.
std::string UnescapeNonAscii(const std::string& json) {
  std::string out;
  out.reserve(json.size());
  for (size_t i = 0; i < json.size(); ++i) {
    if (json[i] != '\\' || i + 1 >= json.size()) {
      out += json[i];
      continue;
    }
    const std::optional<std::uint32_t> unit = json[i + 1] == 'u' ? Hex4(json, i + 2) : std::nullopt;
    if (!unit || *unit < 0x80) {  // another escape: copy both characters as they are
      out.append(json, i, 2);
      ++i;
      continue;
    }
    std::uint32_t code = *unit;
    size_t length = 6;
    if (code >= 0xD800 && code <= 0xDBFF && i + 8 <= json.size() &&
        json.compare(i + 6, 2, "\\u") == 0) {
      const std::optional<std::uint32_t> low = Hex4(json, i + 8);
      if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
        length = 12;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) {  // a lone surrogate has no UTF-8 form
      out.append(json, i, length);
    } else {
      AppendUtf8(code, out);
    }
    i += length - 1;
  }
  return out;
}

}  // namespace

std::string ValidateFeedback(const std::string& content, const std::string& contact) {
  if (content.empty()) return kEmptyContentText;
  if (contact.empty()) return kEmptyContactText;
  return "";
}

std::string FeedbackRequestBody(const std::string& content, const std::string& contact) {
  Json::Value body(Json::objectValue);
  body["content"] = shell::WideToUtf8(content);
  body["contact"] = shell::WideToUtf8(contact);
  Json::StyledWriter writer;
  return UnescapeNonAscii(writer.write(body));
}

FeedbackOutcome FeedbackOutcomeOf(const std::string& response) {
  const std::optional<Json::Value> root = internal::ParseJson(response);
  if (!root) return FeedbackOutcome::kNetworkError;
  if (root->isObject() && internal::IsIntegerZero((*root)["ret"])) {
    return FeedbackOutcome::kSubmitted;
  }
  return FeedbackOutcome::kRejected;
}

std::string FeedbackPromptText(FeedbackOutcome outcome) {
  switch (outcome) {
    case FeedbackOutcome::kSubmitted:
      return kSubmittedText;
    case FeedbackOutcome::kRejected:
      return kUnknownErrorText;
    case FeedbackOutcome::kNetworkError:
      break;
  }
  return kNetworkErrorText;
}

FeedbackOutcome SendFeedback(const std::string& base_url, const std::string& content,
                             const std::string& contact, const HttpTimeouts& timeouts) {
  HttpClient& client = HttpClient::Instance();
  std::string response;
  // A transfer cut short may leave half an answer; that is no answer at all.
  if (client.Post(FeedbackRequestBody(content, contact), base_url + kFeedbackPath, response,
                  timeouts) != 0) {
    response.clear();
  }
  return FeedbackOutcomeOf(response);
}

std::string HelpPageUrl(const std::string& base_url) { return base_url + kHelpPath; }

}  // namespace net
