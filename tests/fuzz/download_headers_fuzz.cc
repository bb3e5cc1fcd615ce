// libFuzzer target: any answer of a download server (status line, headers, body) ends the
// download as complete, failed or cancelled, and a complete download has every byte it counts.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "net/download.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// A server on 127.0.0.1 that answers every request with the current fuzz input, then closes.
class RawServer {
 public:
  RawServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      abort();
    }
    port_ = ntohs(addr.sin_port);
    std::thread([this] { Serve(); }).detach();  // lives as long as the fuzzing process
  }
  int port() const { return port_; }
  void Answer(std::string bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = std::move(bytes);
  }

 private:
  void Serve() {
    for (;;) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string request;
      char buffer[2048];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      std::string answer;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        answer = answer_;
      }
      for (size_t at = 0; at < answer.size();) {
        const ssize_t n = send(fd, answer.data() + at, answer.size() - at, MSG_NOSIGNAL);
        if (n <= 0) break;
        at += static_cast<size_t>(n);
      }
      close(fd);
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::mutex mutex_;
  std::string answer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Quiet();
  static RawServer* server = new RawServer();
  const std::string& dir = fuzz::ScratchDir("download-fuzz");
  server->Answer(std::string(reinterpret_cast<const char*>(data), size));
  std::atomic<bool> cancel{false};
  net::DownloadOptions options;
  options.connect_timeout = std::chrono::milliseconds(1000);
  options.stall_timeout = std::chrono::milliseconds(1000);
  options.target_dir = dir;
  int last_percent = -1;
  const net::DownloadResult r = net::DownloadInstaller(
      "http://127.0.0.1:" + std::to_string(server->port()) + "/setup.run", cancel,
      [&](const net::DownloadProgress& p) {
        if (p.percent < -1 || p.percent > 100 || (p.total > 0 && p.received > p.total)) abort();
        if (p.percent >= 0 && p.percent < last_percent) abort();
        last_percent = p.percent;
      },
      options);
  std::error_code ec;
  const auto on_disk = std::filesystem::file_size(r.path, ec);
  if (r.status == net::DownloadStatus::kComplete && (r.received == 0 || ec || on_disk != r.received)) abort();
  if (!ec && on_disk < r.received) abort();
  std::filesystem::remove(r.path, ec);
  return 0;
}
