#include "net/upgrade.h"

#include <cctype>
#include <iostream>
#include <limits>
#include <tuple>
#include <vector>

#include "net/json_text.h"
#include "shell/text.h"

namespace net {

namespace {

using internal::LeadingInteger;

// "force_upgrade" as a number or a numeric text: non-zero means forced. A boolean, a missing
// member or a text without digits is not an answer we can act on.
std::optional<bool> ReadForceFlag(const Json::Value& value) {
  if (value.isIntegral()) return !internal::IsIntegerZero(value);
  if (!value.isString()) return {};
  const std::optional<long long> number = LeadingInteger(value.asString());
  if (!number) return {};
  return *number != 0;
}

bool IsWebAddress(const std::string& url) {
  const auto starts_with = [&url](const char* prefix) {
    const std::string p(prefix);
    if (url.size() <= p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(url[i])) != p[i]) return false;
    }
    return true;
  };
  return starts_with("http://") || starts_with("https://");
}

}  // namespace

std::optional<Version> ParseVersion(const std::string& text) {
  const std::vector<std::string> pieces = shell::SplitString(text, ".");
  if (pieces.size() != 3) return {};
  int numbers[3] = {};
  for (size_t i = 0; i < 3; ++i) {
    const std::optional<long long> n = LeadingInteger(pieces[i]);
    if (!n || *n < 0 || *n > std::numeric_limits<int>::max()) return {};
    numbers[i] = static_cast<int>(*n);
  }
  return Version{numbers[0], numbers[1], numbers[2]};
}

bool IsNewer(const Version& remote, const Version& local) {
  return std::tie(remote.major, remote.minor, remote.revision) >
         std::tie(local.major, local.minor, local.revision);
}

std::string UpgradeRequestBody() { return std::string("{\"app_name\":\"") + kAppName + "\"}"; }

UpgradeResult DecideUpgrade(const std::string& response, const std::string& local_version) {
  UpgradeResult result;
  const std::optional<Json::Value> root = internal::ParseJson(response);
  if (!root || !root->isObject() || !internal::IsIntegerZero((*root)["ret"])) return result;

  result.kind = UpgradeKind::kNotNewer;
  const Json::Value& data = (*root)["data"];
  if (!data.isObject() || !data["app_version"].isString()) return result;
  result.version = data["app_version"].asString();

  const std::optional<Version> remote = ParseVersion(result.version);
  const std::optional<Version> local = ParseVersion(local_version);
  if (!remote || !local || !IsNewer(*remote, *local)) return result;

  // A newer version counts only when the answer also says where and how to get it.
  const Json::Value& url = data["download_url"];
  const std::optional<bool> forced = ReadForceFlag(data["force_upgrade"]);
  if (!url.isString() || !IsWebAddress(url.asString()) || !forced) return result;

  result.kind = *forced ? UpgradeKind::kForced : UpgradeKind::kOptional;
  result.download_url = url.asString();
  return result;
}

UpgradeResult CheckUpgrade(const std::string& base_url, const std::string& local_version,
                           const HttpTimeouts& timeouts) {
  HttpClient& client = HttpClient::Instance();
  const std::string body = UpgradeRequestBody();
  std::cout << ("message: " + body + "\n") << std::flush;

  std::string response;
  const std::string url = base_url + kUpgradeCheckPath + MakeTimestampQuery();
  if (client.Post(body, url, response, timeouts) != 0) return {};
  std::cout << ("response: " + response + "\n") << std::flush;

  UpgradeResult result = DecideUpgrade(response, local_version);
  const std::optional<Version> remote = ParseVersion(result.version);
  const std::optional<Version> local = ParseVersion(local_version);
  if (remote && local) {
    std::cout << ("routeMajorVersion: " + std::to_string(remote->major) +
                  " routeMinorVersion: " + std::to_string(remote->minor) +
                  " routeRevisionVersion: " + std::to_string(remote->revision) + "\n" +
                  "localMajorVersion: " + std::to_string(local->major) +
                  " localMinorVersion: " + std::to_string(local->minor) +
                  " localRevisionVersion: " + std::to_string(local->revision) + "\n")
              << std::flush;
  }
  return result;
}

std::string UpgradePromptText(const UpgradeResult& result, bool user_asked) {
  switch (result.kind) {
    case UpgradeKind::kOptional:
    case UpgradeKind::kForced:
      return kNewVersionText;
    case UpgradeKind::kNotNewer:
      return user_asked ? kNoNewVersionText : "";
    case UpgradeKind::kNoAnswer:
      break;
  }
  return "";
}

}  // namespace net
