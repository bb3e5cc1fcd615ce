#ifndef NET_FEEDBACK_H_
#define NET_FEEDBACK_H_

#include <string>

#include "net/http_client.h"

// The user's feedback message to the vendor's web service.
namespace net {

inline constexpr char kFeedbackPath[] = "/v2/feedback";
inline constexpr char kHelpPath[] = "/help";

inline constexpr char kEmptyContentText[] = "反馈内容不能为空!";
inline constexpr char kEmptyContactText[] = "联系方式不能为空!";
inline constexpr char kNetworkErrorText[] = "网络错误!";
inline constexpr char kUnknownErrorText[] = "未知错误";
inline constexpr char kSubmittedText[] = "反馈信息已提交!";

// The message to show in the dialog when the texts may not be sent, or "" when they may.
// Only empty texts are refused (blanks are a message); the content is checked first.
std::string ValidateFeedback(const std::string& content, const std::string& contact);

// The request body: {"contact", "content"} in Json::StyledWriter's layout with a line end.
// Texts go out as UTF-8 (ill-formed bytes become U+FFFD), not as \u escapes.
std::string FeedbackRequestBody(const std::string& content, const std::string& contact);

enum class FeedbackOutcome {
  kSubmitted,     // "ret" 0
  kRejected,      // JSON, but not "ret" 0
  kNetworkError,  // no answer, or not JSON
};

// Reads the service's answer; the HTTP status plays no part.
FeedbackOutcome FeedbackOutcomeOf(const std::string& response);

// The prompt for an outcome: kSubmittedText, kUnknownErrorText or kNetworkErrorText.
std::string FeedbackPromptText(FeedbackOutcome outcome);

// Posts the texts to base_url + "/v2/feedback" and reads the answer. Call it only when
// ValidateFeedback gave "". Blocks for at most the time-outs.
FeedbackOutcome SendFeedback(const std::string& base_url, const std::string& content,
                             const std::string& contact, const HttpTimeouts& timeouts = {});

// The help page the "contact-us" button opens: base_url + "/help".
std::string HelpPageUrl(const std::string& base_url);

}  // namespace net

#endif  // NET_FEEDBACK_H_
