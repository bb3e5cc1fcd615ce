// libFuzzer target: any answer of the upgrade service is decided without a crash, and an offer
// always carries a download address whose installer name stays inside the download folder.
#include <cstdlib>
#include <string>

#include "net/download.h"
#include "net/upgrade.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Quiet();
  const std::string text(reinterpret_cast<const char*>(data), size);
  const net::UpgradeResult result = net::DecideUpgrade(text, "1.2.0");
  const bool offer = result.kind == net::UpgradeKind::kOptional || result.kind == net::UpgradeKind::kForced;
  if (offer && result.download_url.empty()) abort();
  if (offer != (net::UpgradePromptText(result, false) == net::kNewVersionText)) abort();
  for (const std::string& url : {result.download_url, text}) {
    const std::string name = net::InstallerFileName(url);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) abort();
  }
  net::ParseVersion(text);
  return 0;
}
