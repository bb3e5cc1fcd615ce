#ifndef NET_UPGRADE_H_
#define NET_UPGRADE_H_

#include <optional>
#include <string>

#include "net/http_client.h"

// Asking the vendor's web service whether a newer version of the program exists.
namespace net {

inline constexpr char kAppName[] = "VantuVoiceSeparate";
inline constexpr char kUpgradeCheckPath[] = "/v2/upgrade_check";

inline constexpr char kNewVersionText[] = "发现新版本啦!";
inline constexpr char kNoNewVersionText[] = "没有发现新版本!";

struct Version {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// "major.minor.revision": three pieces between points (empty pieces are skipped, as "1..2.3"),
// each read as a leading non-negative decimal number ("3rc1" is 3). Nothing otherwise.
std::optional<Version> ParseVersion(const std::string& text);

// True when `remote` is above `local`, compared number by number: 1.10.0 is above 1.2.0.
bool IsNewer(const Version& remote, const Version& local);

enum class UpgradeKind {
  kNoAnswer,  // no network, time-out, not JSON, not an object, "ret" not 0: nothing to say
  kNotNewer,  // a valid answer without a usable newer version (malformed details included)
  kOptional,  // newer version; the user may decline
  kForced,    // newer version; the user can only acknowledge
};

struct UpgradeResult {
  UpgradeKind kind = UpgradeKind::kNoAnswer;
  std::string version;       // "app_version" of a valid answer, as sent
  std::string download_url;  // the installer's address, set for kOptional and kForced
};

// The body of the request: {"app_name":"VantuVoiceSeparate"}.
std::string UpgradeRequestBody();

// Reads the service's answer against the program's own version `local_version` ("1.2.0").
// Never throws; anything unexpected gives kNoAnswer or kNotNewer.
UpgradeResult DecideUpgrade(const std::string& response, const std::string& local_version);

// Posts the request to base_url + "/v2/upgrade_check" + MakeTimestampQuery() and decides.
// Blocks for at most the time-outs; traces the request and answer on standard output.
UpgradeResult CheckUpgrade(const std::string& base_url, const std::string& local_version,
                           const HttpTimeouts& timeouts = {});

// The prompt to show after a check: kNewVersionText for an offer; kNoNewVersionText for
// kNotNewer when the user asked for the check; empty (show nothing) otherwise.
std::string UpgradePromptText(const UpgradeResult& result, bool user_asked);

}  // namespace net

#endif  // NET_UPGRADE_H_
