#include "net/http_client.h"

#include <curl/curl.h>
#include <glog/logging.h>

#include <cstdint>

#include "net/curl_handles.h"
#include "shell/ini_file.h"
#include "shell/paths.h"
#include "shell/text.h"

namespace net {

namespace {

using internal::EasyHandle;
using internal::HeaderList;
using internal::ToCurlMillis;

// Loopback never goes through a proxy, whatever the environment says.
constexpr char kNoProxyHosts[] = "localhost,127.0.0.1,::1";

// libcurl's write callback. Returning less than it was given ends the transfer with an error,
// which is how an oversized answer is cut off.
size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  const size_t bytes = size * count;
  if (auto* body = static_cast<std::string*>(user)) {
    if (body->size() + bytes > kMaxResponseBytes) return 0;
    body->append(data, bytes);
  }
  return bytes;
}

// Options both requests share: limits, TLS checks and the answer's destination.
void SetCommonOptions(CURL* curl, const std::string& url, const HttpTimeouts& timeouts,
                      std::string* body) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOPROXY, kNoProxyHosts);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, ToCurlMillis(timeouts.total));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ToCurlMillis(timeouts.connect));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
  // Worker threads must not get SIGALRM from name resolution.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

}  // namespace

std::string ServiceBaseUrl() { return ServiceBaseUrl(shell::GetConfigIniPath()); }

std::string ServiceBaseUrl(const std::string& ini_path) {
  std::string url = shell::TrimWhiteSpace(
      shell::ReadIniString(shell::kConfigSection, shell::kKeyServiceUrl, "", ini_path));
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url.empty() ? kDefaultServiceUrl : url;
}

HttpClient& HttpClient::Instance() {
  // Never destroyed: a request on another thread may still run while the process exits.
  static HttpClient* const client = new HttpClient();
  return *client;
}

HttpClient::HttpClient() {
  const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
  if (code != CURLE_OK) {
    LOG(ERROR) << "curl_global_init failed:" << static_cast<int>(code);
  }
}

int HttpClient::Post(std::string body, std::string url, std::string& response,
                     const HttpTimeouts& timeouts) const {
  HeaderList headers;
  if (!internal::AppendHeader(headers, "Accept: application/json") ||
      !internal::AppendHeader(headers, "Content-Type:application/json;charset=UTF-8")) {
    return -1;
  }
  EasyHandle curl(curl_easy_init());
  if (!curl) return -1;

  SetCommonOptions(curl.get(), url, timeouts, &response);
  curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());

  const CURLcode code = curl_easy_perform(curl.get());
  LOG(ERROR) << "curl code:" << static_cast<int>(code) << ",strerror:" << curl_easy_strerror(code);
  if (code != CURLE_OK) return -1;

  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  LOG(ERROR) << "response code:" << status;
  if (!response.empty()) return 0;
  LOG(ERROR) << "response result:" << response;
  return -1;
}

int HttpClient::Get(std::string url, std::string& response, const HttpTimeouts& timeouts) const {
  EasyHandle curl(curl_easy_init());
  if (!curl) return 2;

  SetCommonOptions(curl.get(), url, timeouts, &response);
  curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 1L);
  if (curl_easy_perform(curl.get()) != CURLE_OK) return -1;

  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  return status >= 200 && status <= 299 && !response.empty() ? 0 : -1;
}

std::string MakeTimestampQuery() { return MakeTimestampQuery(std::chrono::system_clock::now()); }

std::string MakeTimestampQuery(std::chrono::system_clock::time_point now) {
  // Epoch milliseconds of the wall clock; the service only ever saw their low 32 bits.
  const auto millis =
      std::chrono::floor<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const auto wrapped = static_cast<std::uint32_t>(millis);
  return "?timestamp=" + std::to_string(wrapped);
}

}  // namespace net
