#include "net/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <glog/logging.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "net/curl_handles.h"
#include "net/http_client.h"
#include "shell/paths.h"
#include "shell/temp_file.h"
#include "shell/unique_fd.h"

namespace net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kReadStep = 1024;  // bytes per read, as the dialog expects
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// Tenths of a MiB in `bytes`, rounded down: the step of the label without a size.
std::uint64_t TenthsOfMiB(std::uint64_t bytes) {
  return bytes / kMiB * 10 + bytes % kMiB * 10 / kMiB;
}

// State shared with libcurl's callbacks during one download.
struct Transfer {
  CURL* curl = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  const ProgressCallback* on_progress = nullptr;
  std::string path;  // the installer's name
  shell::UniqueFd file;
  std::optional<shell::TempFileGuard> temp;  // where the body goes until it is complete
  std::uint64_t total = 0;  // 0: unknown
  std::uint64_t received = 0;
  std::optional<std::uint64_t> last_step;  // last percent (or tenth of a MiB) reported
  Clock::duration stall_timeout{};
  Clock::time_point last_data;
  std::string error;  // set by a callback that ended the transfer
  bool cancelled = false;
};

void ReportProgress(Transfer& t) {
  DownloadProgress progress;
  progress.received = t.received;
  progress.total = t.total;
  std::uint64_t step;
  if (t.total > 0) {
    progress.percent = t.received >= t.total
                           ? 100
                           : static_cast<int>(static_cast<long double>(t.received) * 100 /
                                              static_cast<long double>(t.total));
    step = static_cast<std::uint64_t>(progress.percent);
  } else {
    step = TenthsOfMiB(t.received);
  }
  if (t.last_step == step) return;
  t.last_step = step;
  if (*t.on_progress) (*t.on_progress)(progress);
}

// Opens a temporary file beside the target once the answer is known to be a success. Only a
// complete body is renamed over the target, so neither an error page nor a cut-off download
// replaces an installer that is already there, or is left under its name.
bool OpenTarget(Transfer& t) {
  long status = 0;
  curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) {
    t.error = "HTTP status " + std::to_string(status);
    return false;
  }
  if (t.total == 0) {  // no size from HEAD: the GET answer may still announce one
    curl_off_t length = -1;
    curl_easy_getinfo(t.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > 0) t.total = static_cast<std::uint64_t>(length);
  }
  std::string temp = t.path + ".partXXXXXX";
  t.file = shell::UniqueFd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!t.file.valid()) {
    t.error = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  t.temp.emplace(temp);
  ::fchmod(t.file.get(), 0644);  // mkostemp makes it private; an installer is an ordinary file
  return true;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (t.cancel->load()) {
    t.cancelled = true;
    return 0;
  }
  if (!t.file.valid() && !OpenTarget(t)) return 0;
  if (t.total > 0 && bytes > t.total - t.received) {
    t.error = "more data than the announced " + std::to_string(t.total) + " bytes";
    return 0;
  }
  if (!shell::WriteAll(t.file.get(), data, bytes)) {
    t.error = "cannot write " + t.temp->path() + ": " + std::strerror(errno);
    return 0;
  }
  t.received += bytes;
  t.last_data = Clock::now();
  ReportProgress(t);
  return bytes;
}

// Called by libcurl while it waits, too: the place to notice a cancel or a silent peer.
int CheckTransfer(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  if (t.cancel->load()) {
    t.cancelled = true;
    return 1;
  }
  if (Clock::now() - t.last_data > t.stall_timeout) {
    t.error = "no data for " +
              std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 t.stall_timeout).count()) +
              " ms";
    return 1;
  }
  return 0;
}

bool StartsWithHttps(const std::string& url) {
  return url.size() > 8 && strncasecmp(url.c_str(), "https://", 8) == 0;
}

void SetOptions(CURL* curl, const std::string& url, const DownloadOptions& options, Transfer* t) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  // A redirect may not take an https download back to plain http.
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, StartsWithHttps(url) ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, internal::ToCurlMillis(options.connect_timeout));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReadStep);
  // libcurl's own speed check makes it wake every second, so CheckTransfer runs while idle.
  const auto stall_seconds =
      std::chrono::ceil<std::chrono::seconds>(options.stall_timeout).count();
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<long long>(stall_seconds, 1)));
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckTransfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, t);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, t);
}

// The reason for a transfer that ended with `code`, preferring what a callback recorded.
std::string FailureReason(const Transfer& t, CURLcode code) {
  if (!t.error.empty()) return t.error;
  if (code == CURLE_OPERATION_TIMEDOUT && t.received > 0) return "transfer stalled";
  return curl_easy_strerror(code);
}

DownloadResult Finish(DownloadResult result, DownloadStatus status, const std::string& error) {
  result.status = status;
  result.error = error;
  if (status == DownloadStatus::kFailed) LOG(WARNING) << "download failed: " << error;
  return result;
}

}  // namespace

std::string ProgressLabel(const DownloadProgress& progress) {
  if (progress.percent >= 0) return std::to_string(progress.percent) + "%";
  const std::uint64_t tenths = TenthsOfMiB(progress.received);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

std::string UrlWithoutQuery(const std::string& url) {
  return url.substr(0, url.find_first_of("?#"));
}

std::string InstallerFileName(const std::string& url) {
  const std::string path = UrlWithoutQuery(url);
  std::string name = path.substr(path.rfind('/') + 1);  // npos + 1 == 0: the whole text
  name = name.substr(0, name.find('\0'));
  if (name.empty() || name == "." || name == "..") return "installer";
  return name;
}

DownloadResult DownloadInstaller(const std::string& url, const std::atomic<bool>& cancel,
                                 const ProgressCallback& on_progress,
                                 const DownloadOptions& options) {
  HttpClient::Instance();  // libcurl's global set-up
  const std::string dir =
      options.target_dir.empty() ? shell::CreateAppDataDir(kDownloadFolder) : options.target_dir;
  DownloadResult result;
  result.path = dir + "/" + InstallerFileName(url);

  internal::EasyHandle curl(curl_easy_init());
  if (!curl) return Finish(result, DownloadStatus::kFailed, "cannot create a libcurl handle");

  Transfer t;
  t.curl = curl.get();
  t.cancel = &cancel;
  t.on_progress = &on_progress;
  t.path = result.path;
  t.stall_timeout = options.stall_timeout;
  const std::string request_url = UrlWithoutQuery(url);
  SetOptions(curl.get(), request_url, options, &t);

  // The size first. A server without HEAD or without a length still gets its GET.
  curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
  t.last_data = Clock::now();
  CURLcode code = curl_easy_perform(curl.get());
  if (t.cancelled) return Finish(result, DownloadStatus::kCancelled, "");
  if (code != CURLE_OK) return Finish(result, DownloadStatus::kFailed, FailureReason(t, code));
  long status = 0;
  curl_off_t length = -1;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (status >= 200 && status <= 299 && length > 0) t.total = static_cast<std::uint64_t>(length);

  // The body, on the same connection.
  curl_easy_setopt(curl.get(), CURLOPT_HTTPGET, 1L);
  t.last_data = Clock::now();
  code = curl_easy_perform(curl.get());
  result.received = t.received;
  // fsync before the rename: a crash must not leave the installer's name with no data behind it.
  const bool closed = (!t.file.valid() || ::fsync(t.file.get()) == 0) && t.file.Close() == 0;
  if (t.cancelled) return Finish(result, DownloadStatus::kCancelled, "");
  if (code != CURLE_OK) return Finish(result, DownloadStatus::kFailed, FailureReason(t, code));
  if (t.received == 0) {
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    return Finish(result, DownloadStatus::kFailed,
                  status >= 200 && status <= 299 ? "the server sent no data"
                                                 : "HTTP status " + std::to_string(status));
  }
  if (t.total > 0 && t.received != t.total) {
    return Finish(result, DownloadStatus::kFailed,
                  "incomplete: " + std::to_string(t.received) + " of " +
                      std::to_string(t.total) + " bytes");
  }
  if (!closed) return Finish(result, DownloadStatus::kFailed, "cannot close " + t.temp->path());
  if (::rename(t.temp->path().c_str(), result.path.c_str()) != 0) {
    return Finish(result, DownloadStatus::kFailed,
                  "cannot replace " + result.path + ": " + std::strerror(errno));
  }
  t.temp->Commit();
  return Finish(result, DownloadStatus::kComplete, "");
}

AfterDownload DecideAfterDownload(DownloadStatus status, bool forced) {
  if (status == DownloadStatus::kComplete) return AfterDownload::kOpenInstaller;
  if (status == DownloadStatus::kCancelled && forced) return AfterDownload::kEndProgram;
  return AfterDownload::kCloseDialog;
}

void LogInstallerStartFailed() { LOG(ERROR) << kUpgradeFailedText; }

}  // namespace net
