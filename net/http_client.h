#ifndef NET_HTTP_CLIENT_H_
#define NET_HTTP_CLIENT_H_

#include <chrono>
#include <cstddef>
#include <string>

// The small synchronous client through which the program talks to the vendor's web service.
namespace net {

// Where the service lives when the INI file names no other address.
inline constexpr char kDefaultServiceUrl[] = "https://service.vantu-audio.com";

// Base address of the web service, without a trailing "/": "service-url" of section "global"
// in the program's INI file, trimmed, or kDefaultServiceUrl when that is missing or empty.
std::string ServiceBaseUrl();
// The same, reading the INI file at `ini_path`.
std::string ServiceBaseUrl(const std::string& ini_path);

// Limits of one request. The program uses the defaults; tests shorten them.
struct HttpTimeouts {
  std::chrono::milliseconds connect{10000};
  std::chrono::milliseconds total{10000};
};

// A response body above this size is not a service answer; the request fails.
inline constexpr std::size_t kMaxResponseBytes = std::size_t{1} << 20;

// One process-wide client. Post and Get may run on several threads at once: each call uses
// handles of its own. TLS peers and host names are always verified.
class HttpClient {
 public:
  // The client; the first call initialises libcurl for the whole process (never cleaned up).
  static HttpClient& Instance();

  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // POSTs the JSON `body` to `url` and appends the answer's body to `response`. Returns 0 when
  // the transfer succeeded and the body is not empty, whatever the HTTP status (it is only
  // logged); -1 otherwise. Logs the libcurl result, the status and an empty answer at ERROR.
  int Post(std::string body, std::string url, std::string& response,
           const HttpTimeouts& timeouts = {}) const;

  // GETs `url` into `response`. Returns 0 for a status 200-299 with a non-empty body, 2 when no
  // libcurl handle can be made, -1 otherwise. Logs nothing.
  int Get(std::string url, std::string& response, const HttpTimeouts& timeouts = {}) const;

 private:
  HttpClient();
};

// "?timestamp=" + (milliseconds since 1970 of the local wall-clock time, modulo 2^32), for
// callers to append to an endpoint's URL.
std::string MakeTimestampQuery();
// The same for the moment `now`.
std::string MakeTimestampQuery(std::chrono::system_clock::time_point now);

}  // namespace net

#endif  // NET_HTTP_CLIENT_H_
