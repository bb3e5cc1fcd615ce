#ifndef NET_CURL_HANDLES_H_
#define NET_CURL_HANDLES_H_

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>

// Owners of libcurl handles, shared by the client and the download. Internal to net/.
namespace net::internal {

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// Adds `line` to `list`; false (list unchanged) when libcurl runs out of memory.
inline bool AppendHeader(HeaderList& list, const char* line) {
  curl_slist* head = curl_slist_append(list.get(), line);
  if (!head) return false;
  list.release();
  list.reset(head);
  return true;
}

// A duration as libcurl's millisecond option value. Zero would mean "no limit" to libcurl,
// so the shortest limit is 1 ms.
inline long ToCurlMillis(std::chrono::milliseconds duration) {
  return static_cast<long>(std::clamp<long long>(duration.count(), 1, LONG_MAX));
}

}  // namespace net::internal

#endif  // NET_CURL_HANDLES_H_
