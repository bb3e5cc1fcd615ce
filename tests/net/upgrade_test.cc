#include "net/upgrade.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/net/service_fixture.h"

namespace net {
namespace {

using net_testing::ServiceTest;

constexpr char kLocal[] = "1.2.0";

// An answer offering `version` with the given "force_upgrade" JSON text.
std::string Offer(const std::string& version, const std::string& force, int ret = 0) {
  return R"({"ret":)" + std::to_string(ret) + R"(,"data":{"app_version":")" + version +
         R"(","download_url":"https://dl.example.invalid/setup.exe","force_upgrade":)" + force +
         "}}";
}

TEST(VersionTest, ParsesThreeNumbersBetweenPoints) {
  const auto v = ParseVersion("1.10.0");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->major, 1);
  EXPECT_EQ(v->minor, 10);
  EXPECT_EQ(v->revision, 0);
  const auto loose = ParseVersion(" 2..3.4rc1");  // empty pieces skipped, trailing text ignored
  ASSERT_TRUE(loose);
  EXPECT_EQ(loose->revision, 4);
  for (const char* bad : {"", "1.2", "1.2.3.4", "a.b.c", "1.x.3", "-1.2.3", "1.2.99999999999"}) {
    EXPECT_FALSE(ParseVersion(bad)) << bad;
  }
}

TEST(VersionTest, ComparesNumbersNotTexts) {
  const Version local{1, 2, 0};
  EXPECT_TRUE(IsNewer({1, 10, 0}, local));
  EXPECT_TRUE(IsNewer({1, 2, 1}, local));
  EXPECT_TRUE(IsNewer({2, 0, 0}, {1, 99, 99}));
  EXPECT_FALSE(IsNewer({1, 2, 0}, local));
  EXPECT_FALSE(IsNewer({0, 9, 9}, local));
  EXPECT_FALSE(IsNewer({1, 1, 99}, local));
}

TEST(DecideUpgradeTest, OnlyANewerVersionIsOfferedForcedByANumberOrNumericText) {
  const struct {
    const char* version;
    const char* force;
    UpgradeKind kind;
  } cases[] = {
      {"1.10.0", "0", UpgradeKind::kOptional},      {"1.2.0", "0", UpgradeKind::kNotNewer},
      {"0.9.9", "1", UpgradeKind::kNotNewer},       {"1.3.0", "1", UpgradeKind::kForced},
      {"1.3.0", R"("1")", UpgradeKind::kForced},    {"1.3.0", R"("0")", UpgradeKind::kOptional},
      {"1.3.0", R"(" 2x")", UpgradeKind::kForced},  {"1.3.0", "2.0", UpgradeKind::kForced},
      {"1.3.0", "true", UpgradeKind::kNotNewer},    {"1.3.0", "false", UpgradeKind::kNotNewer},
      {"1.3.0", R"("yes")", UpgradeKind::kNotNewer}, {"1.3.0", "null", UpgradeKind::kNotNewer},
      {"1.3.0", "[1]", UpgradeKind::kNotNewer},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecideUpgrade(Offer(c.version, c.force), kLocal).kind, c.kind) << c.version << " " << c.force;
  }
  const UpgradeResult offer = DecideUpgrade(Offer("1.10.0", "1"), kLocal);
  EXPECT_EQ(offer.kind, UpgradeKind::kForced);
  EXPECT_EQ(offer.version, "1.10.0");
  EXPECT_EQ(offer.download_url, "https://dl.example.invalid/setup.exe");
}

TEST(DecideUpgradeTest, InvalidAnswersSayNothing) {
  for (const char* answer :
       {"", "not json", "[0]", "5", R"("ret")", R"({"ret":1,"data":{}})", R"({"data":{}})",
        R"({"ret":"0","data":{}})", R"({"ret":true})", R"({"ret":0.5})"}) {
    EXPECT_EQ(DecideUpgrade(answer, kLocal).kind, UpgradeKind::kNoAnswer) << answer;
  }
  EXPECT_EQ(DecideUpgrade(Offer("9.0.0", "1", 1), kLocal).kind, UpgradeKind::kNoAnswer);  // a refusal with an offer
  // Deep nesting must not exhaust the stack.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(DecideUpgrade(deep, kLocal).kind, UpgradeKind::kNoAnswer);
}

TEST(DecideUpgradeTest, MalformedDetailsMeanNoNewerVersion) {
  for (const std::string& answer : {
           std::string(R"({"ret":0})"),
           std::string(R"({"ret":0,"data":[1]})"),
           std::string(R"({"ret":0,"data":{"app_version":"1.3","download_url":"http://h/s","force_upgrade":0}})"),
           std::string(R"({"ret":0,"data":{"app_version":130,"download_url":"http://h/s","force_upgrade":0}})"),
           std::string(R"({"ret":0,"data":{"app_version":"1.3.0","force_upgrade":0}})"),
           std::string(R"({"ret":0,"data":{"app_version":"1.3.0","download_url":"ftp://h/s","force_upgrade":0}})"),
           std::string(R"({"ret":0,"data":{"app_version":"1.3.0","download_url":"http://h/s"}})"),
       }) {
    const UpgradeResult result = DecideUpgrade(answer, kLocal);
    EXPECT_EQ(result.kind, UpgradeKind::kNotNewer) << answer;
    EXPECT_TRUE(result.download_url.empty()) << answer;
  }
}

TEST(UpgradePromptTest, OffersAlwaysSpeakNothingNewOnlyWhenAsked) {
  UpgradeResult result;
  result.kind = UpgradeKind::kForced;
  EXPECT_EQ(UpgradePromptText(result, false), "发现新版本啦!");
  result.kind = UpgradeKind::kOptional;
  EXPECT_EQ(UpgradePromptText(result, false), "发现新版本啦!");
  result.kind = UpgradeKind::kNotNewer;
  EXPECT_EQ(UpgradePromptText(result, true), "没有发现新版本!");
  EXPECT_EQ(UpgradePromptText(result, false), "");
  result.kind = UpgradeKind::kNoAnswer;
  EXPECT_EQ(UpgradePromptText(result, true), "");
}

using CheckUpgradeTest = ServiceTest;

TEST_F(CheckUpgradeTest, AsksWithTheAppNameAndATimestampAndReadsTheManifest) {
  WriteManifest(R"({"app_version":"1.10.0","download_url":")" + base() +
                R"(/download/setup.exe","force_upgrade":"0"})");
  const UpgradeResult result = CheckUpgrade(base(), kLocal);
  EXPECT_EQ(result.kind, UpgradeKind::kOptional);
  EXPECT_EQ(result.download_url, base() + "/download/setup.exe");

  const auto requests = service_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, R"({"app_name":"VantuVoiceSeparate"})");
  const std::string prefix = "/v2/upgrade_check?timestamp=";
  ASSERT_EQ(requests[0].target.rfind(prefix, 0), 0u) << requests[0].target;
  EXPECT_EQ(requests[0].target.find_first_not_of("0123456789", prefix.size()), std::string::npos);

  // The same manifest is nothing new for that version.
  WriteManifest(R"({"app_version":"1.10.0","download_url":"http://h/s","force_upgrade":1})");
  EXPECT_EQ(CheckUpgrade(base(), "1.10.0").kind, UpgradeKind::kNotNewer);
  EXPECT_EQ(CheckUpgrade(base(), "1.9.0").kind, UpgradeKind::kForced);
}

// Every way the client's Post fails (http_client_test) takes the same branch here as the answer
// cut off at the size limit.
TEST_F(CheckUpgradeTest, FailuresOfTheServiceSayNothing) {
  EXPECT_EQ(CheckUpgrade(base(), kLocal).kind, UpgradeKind::kNoAnswer);  // no manifest: ret 1
  // Cut off at the size limit, the start of the answer is still a forced offer: no answer.
  service_.SetCannedAnswer(200, Offer("9.0.0", "1") + std::string(kMaxResponseBytes, ' '));
  EXPECT_EQ(CheckUpgrade(base(), kLocal).kind, UpgradeKind::kNoAnswer);
}

}  // namespace
}  // namespace net
