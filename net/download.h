#ifndef NET_DOWNLOAD_H_
#define NET_DOWNLOAD_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// The installer download that follows an accepted upgrade offer.
namespace net {

// Below the application data folder; the installer is kept there after the download.
inline constexpr char kDownloadFolder[] = "VantuAudio/Temp";
// Logged at ERROR when the downloaded installer cannot be opened.
inline constexpr char kUpgradeFailedText[] = "升级失败";

struct DownloadProgress {
  int percent = -1;            // 0-100 of the announced size, -1 when no size was announced
  std::uint64_t received = 0;  // bytes written so far
  std::uint64_t total = 0;     // the announced size, 0 when unknown
};

// The label text for `progress`: "42%", or the amount received ("3.4 MB") without a size.
std::string ProgressLabel(const DownloadProgress& progress);

using ProgressCallback = std::function<void(const DownloadProgress&)>;

enum class DownloadStatus { kComplete, kCancelled, kFailed };

struct DownloadResult {
  DownloadStatus status = DownloadStatus::kFailed;
  std::string path;            // the target file, written only by a complete download
  std::string error;           // why it failed, in English, for the log
  std::uint64_t received = 0;  // bytes of the body received
};

struct DownloadOptions {
  std::chrono::milliseconds connect_timeout{10000};
  // A connection that delivers nothing for this long ends the download as incomplete.
  std::chrono::milliseconds stall_timeout{30000};
  // Where the file goes; empty means shell::CreateAppDataDir(kDownloadFolder).
  std::string target_dir;
};

// `url` without its query part and fragment: what is actually requested.
std::string UrlWithoutQuery(const std::string& url);

// The file name for `url`: the last path element of UrlWithoutQuery(url), or "installer" when
// that is empty, "." or "..".
std::string InstallerFileName(const std::string& url);

// Downloads `url` (http or https, TLS verified, no proxy) into target_dir/InstallerFileName(url),
// replacing an older file once the new one is complete: a HEAD request for the size, then a GET
// into a temporary file beside the target, read in steps of at most
// 1024 bytes. Blocks the calling thread until the transfer ends. `cancel` is polled between
// reads and while waiting for data. `on_progress` runs on the calling thread: with a size, once
// per whole percent; without one, about every 100 KiB. Only a body that arrived in full, with a
// success status and at least one byte, is kComplete and renamed to the target; a cancelled or
// failed download removes what it wrote and leaves an earlier file in place.
DownloadResult DownloadInstaller(const std::string& url, const std::atomic<bool>& cancel,
                                 const ProgressCallback& on_progress,
                                 const DownloadOptions& options = {});

// What the download dialog does once the transfer has ended.
enum class AfterDownload {
  kOpenInstaller,  // open the file; once it opened, end the program with code 0
  kEndProgram,     // a forced upgrade was cancelled: end the program with code 0
  kCloseDialog,    // back to the program
};
AfterDownload DecideAfterDownload(DownloadStatus status, bool forced);

// Logs kUpgradeFailedText at ERROR, for when the installer cannot be opened.
void LogInstallerStartFailed();

}  // namespace net

#endif  // NET_DOWNLOAD_H_
