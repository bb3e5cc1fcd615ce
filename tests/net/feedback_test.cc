#include "net/feedback.h"

#include <gtest/gtest.h>
#include <jsoncpp/json/json.h>  // net keeps JsonCpp private, so its include path is not ours

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/net/service_fixture.h"
#include "tests/support/temp_dir.h"

namespace net {
namespace {

using net_testing::ServiceTest;

Json::Value Parse(const std::string& text) {
  Json::Value value;
  std::istringstream in(text);
  std::string errors;
  EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &value, &errors)) << text;
  return value;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(FeedbackValidationTest, OnlyEmptyTextsAreRefusedMessageFirst) {
  EXPECT_EQ(ValidateFeedback("", "me@example.org"), "反馈内容不能为空!");
  EXPECT_EQ(ValidateFeedback("", ""), "反馈内容不能为空!");
  EXPECT_EQ(ValidateFeedback("hello", ""), "联系方式不能为空!");
  EXPECT_EQ(ValidateFeedback("   ", " "), "");
  EXPECT_EQ(ValidateFeedback("hello", "qq 12345"), "");
}

TEST(FeedbackBodyTest, StyledLayoutNonAsciiAsUtf8ValidEscapesAndIllFormedBytesReplaced) {
  EXPECT_EQ(FeedbackRequestBody("msg", "me"), "{\n   \"contact\" : \"me\",\n   \"content\" : \"msg\"\n}\n");
  const std::string content = "人声分离 ü 😀 \"quoted\" \\u4e2d\n\ttab";
  const std::string body = FeedbackRequestBody(content, "微信 abc");
  EXPECT_NE(body.find("人声分离 ü 😀"), std::string::npos) << body;
  EXPECT_NE(body.find("\\\\u4e2d"), std::string::npos) << body;  // a typed backslash stays one
  EXPECT_NE(body.find("\\n\\ttab"), std::string::npos) << body;
  const Json::Value parsed = Parse(body);
  EXPECT_EQ(parsed["content"].asString(), content);
  EXPECT_EQ(parsed["contact"].asString(), "微信 abc");
  EXPECT_EQ(Parse(FeedbackRequestBody("a\xFF" "b", "c"))["content"].asString(), "a\xEF\xBF\xBD" "b");
}

TEST(FeedbackOutcomeTest, TheAnswerTextDecides) {
  const std::pair<const char*, FeedbackOutcome> cases[] = {
      {R"({"ret":0})", FeedbackOutcome::kSubmitted},  {R"({"ret":1})", FeedbackOutcome::kRejected},
      {R"({"msg":"?"})", FeedbackOutcome::kRejected}, {R"({"ret":"0"})", FeedbackOutcome::kRejected},
      {"[0]", FeedbackOutcome::kRejected},            {"", FeedbackOutcome::kNetworkError},
      {"<html>502</html>", FeedbackOutcome::kNetworkError}};
  for (const auto& [answer, outcome] : cases) EXPECT_EQ(FeedbackOutcomeOf(answer), outcome) << answer;
}

using SendFeedbackTest = ServiceTest;

// Which statuses and answers count is the client's and FeedbackOutcomeOf's business, tested
// beside them; here the texts reach the service and what comes back decides.
TEST_F(SendFeedbackTest, TheServiceStoresTheTextsAsUtf8AndItsAnswerDecides) {
  const std::string content = "伴奏有杂音 😀 «ok»";
  EXPECT_EQ(SendFeedback(base(), content, "电话 138"), FeedbackOutcome::kSubmitted);
  EXPECT_EQ(SendFeedback(base(), "   ", " "), FeedbackOutcome::kSubmitted);

  const auto requests = service_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/v2/feedback");
  EXPECT_NE(requests[0].body.find(content), std::string::npos);  // raw UTF-8 on the wire

  const std::vector<std::string> lines = Lines(testing_support::ReadFile(dir_.File("feedback.jsonl")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(content), std::string::npos);  // stored unescaped
  EXPECT_EQ(Parse(lines[0])["content"].asString(), content);
  EXPECT_EQ(Parse(lines[0])["contact"].asString(), "电话 138");
  EXPECT_EQ(Parse(lines[1])["content"].asString(), "   ");
  EXPECT_EQ(Parse(lines[1])["contact"].asString(), " ");

  service_.SetCannedAnswer(500, R"({"ret":1})");
  EXPECT_EQ(SendFeedback(base(), "m", "c"), FeedbackOutcome::kRejected);
  // Half an answer cut off at the size limit is no answer, even if its start looks right. Any
  // other failed Post (a silent or missing service) takes the same branch with nothing kept.
  service_.SetCannedAnswer(200, R"({"ret":0})" + std::string(kMaxResponseBytes, ' '));
  EXPECT_EQ(SendFeedback(base(), "m", "c"), FeedbackOutcome::kNetworkError);
}

}  // namespace
}  // namespace net
