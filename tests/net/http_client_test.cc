#include "net/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/feedback.h"
#include "tests/net/service_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace net {
namespace {

using net_testing::kShortTimeouts;
using net_testing::ServiceTest;
using testing_support::LogCapture;
using Clock = std::chrono::steady_clock;

bool HasLinePrefix(const LogCapture& log, const std::string& prefix) {
  for (const auto& line : log.lines()) {
    if (line.severity == google::GLOG_ERROR && line.file == "http_client.cc" &&
        line.message.rfind(prefix, 0) == 0) {
      return true;
    }
  }
  return false;
}

using HttpClientTest = ServiceTest;

TEST_F(HttpClientTest, PostSendsTheJsonHeadersAndBodyAndCollectsTheAnswer) {
  service_.SetCannedAnswer(200, R"({"ret":0})");
  std::string response = "kept:";
  EXPECT_EQ(HttpClient::Instance().Post("{\"a\":1}", base() + "/v2/feedback", response), 0);
  EXPECT_EQ(response, R"(kept:{"ret":0})");

  const auto requests = service_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, "{\"a\":1}");
  EXPECT_EQ(requests[0].accept, "application/json");
  EXPECT_EQ(requests[0].content_type, "application/json;charset=UTF-8");
}

// Post takes any answer with a body, Get only one with a success status; an answer past the
// size limit is cut off and fails both.
TEST_F(HttpClientTest, EachAnswerCountsForPostAndGetAsItShould) {
  const struct {
    int status;
    std::string body;
    int post, get;
    std::vector<std::string> logged;  // ERROR lines of the Post
  } cases[] = {
      {500, R"({"ret":1})", 0, -1, {"curl code:0,strerror:No error", "response code:500"}},
      {200, "", -1, -1, {"response result:"}},
      {200, std::string(kMaxResponseBytes + 1, 'x'), -1, -1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + " with " + std::to_string(c.body.size()) + " bytes");
    service_.SetCannedAnswer(c.status, c.body);
    LogCapture log;
    std::string posted, got;
    EXPECT_EQ(HttpClient::Instance().Post("{}", base() + "/v2/feedback", posted), c.post);
    EXPECT_LE(posted.size(), kMaxResponseBytes);
    if (c.post == 0) {
      EXPECT_EQ(posted, c.body);
    }
    for (const std::string& line : c.logged) EXPECT_TRUE(log.Has(google::GLOG_ERROR, "http_client.cc", line)) << line;
    EXPECT_EQ(HttpClient::Instance().Get(base() + "/help", got), c.get);
  }
  service_.ClearCannedAnswer();
  std::string page;
  EXPECT_EQ(HttpClient::Instance().Get(base() + "/help", page), 0);
  EXPECT_NE(page.find("<html"), std::string::npos);
  EXPECT_EQ(HttpClient::Instance().Get(base() + "/no/such/page", page), -1);
}

TEST_F(HttpClientTest, PostsFromSeveralThreadsAtOnceAllArrive) {
  service_.SetCannedAnswer(200, R"({"ret":0})");
  std::vector<int> results(4, 99);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      std::string response;
      results[i] = HttpClient::Instance().Post("{}", base() + "/v2/feedback", response);
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(results, std::vector<int>(4, 0));
  EXPECT_EQ(service_.Requests().size(), 4u);
}

// A peer that never answers, a port nobody listens on, a certificate nobody vouches for: Post
// and Get both fail in time, and the log has curl's code but no answer.
TEST_F(HttpClientTest, TransportFailuresFailBothVerbsInTimeAndLogTheCurlCode) {
  std::unique_ptr<vantu_service::Service> tls;
  if (net_testing::MakeCertificate(dir_)) {
    tls = std::make_unique<vantu_service::Service>(
        vantu_service::Options{"", "", "", dir_.File("cert.pem"), dir_.File("key.pem")});
    ASSERT_TRUE(tls->Start());
    ASSERT_EQ(tls->BaseUrl().rfind("https://127.0.0.1:", 0), 0u);
  }
  service_.SetFault(vantu_service::Fault::kNeverAnswer);
  const struct {
    const char* what;
    std::string base;
    HttpTimeouts timeouts;
    const char* logged;
  } cases[] = {
      {"silent server", base(), kShortTimeouts, "curl code:28,strerror:"},
      // The program's own limits: a refused connection must not wait for them.
      {"unreachable port", net_testing::UnreachableBaseUrl(), HttpTimeouts{}, "curl code:7,strerror:"},
      {"untrusted certificate", tls ? tls->BaseUrl() : "", kShortTimeouts, "curl code:60,strerror:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.base.empty()) continue;
    LogCapture log;
    const auto start = Clock::now();
    std::string response;
    EXPECT_EQ(HttpClient::Instance().Post("{}", c.base + "/v2/feedback", response, c.timeouts), -1);
    EXPECT_EQ(HttpClient::Instance().Get(c.base + "/help", response, c.timeouts), -1);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(HasLinePrefix(log, c.logged));
    EXPECT_FALSE(HasLinePrefix(log, "response code:"));
  }
  if (!tls) GTEST_SKIP() << "openssl cannot make a certificate, so the certificate case did not run";
  EXPECT_TRUE(tls->Requests().empty());
}

TEST(TimestampQueryTest, IsTheEpochMillisecondsModulo2To32) {
  using std::chrono::milliseconds;
  const auto at = [](long long ms) { return std::chrono::system_clock::time_point(milliseconds(ms)); };
  EXPECT_EQ(MakeTimestampQuery(at(1700000000123)), "?timestamp=3487918203");
  EXPECT_EQ(MakeTimestampQuery(at(4294967296LL + 5)), "?timestamp=5");
  EXPECT_EQ(MakeTimestampQuery(at(4294967295LL)), "?timestamp=4294967295");
  const std::string now = MakeTimestampQuery();
  ASSERT_EQ(now.rfind("?timestamp=", 0), 0u);
  EXPECT_EQ(now.find_first_not_of("0123456789", 11), std::string::npos);
  EXPECT_NE(now[11], '0');
}

TEST(ServiceBaseUrlTest, ComesFromTheIniFileOrTheDefaultAndTheHelpPageLiesBelowIt) {
  testing_support::TempDir dir;
  const std::string ini = dir.File("configure.ini");
  EXPECT_EQ(ServiceBaseUrl(ini), kDefaultServiceUrl);
  testing_support::WriteFile(ini, "[global]\nservice-url =  \n");
  EXPECT_EQ(ServiceBaseUrl(ini), kDefaultServiceUrl);
  testing_support::WriteFile(ini, "[global]\nservice-url = http://127.0.0.1:8080/ \n");
  EXPECT_EQ(ServiceBaseUrl(ini), "http://127.0.0.1:8080");
  EXPECT_EQ(HelpPageUrl(ServiceBaseUrl(ini)), "http://127.0.0.1:8080/help");  // as the windows open it
  EXPECT_EQ(std::string(kDefaultServiceUrl).rfind("https://", 0), 0u);
}

}  // namespace
}  // namespace net
