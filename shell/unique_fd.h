#ifndef SHELL_UNIQUE_FD_H_
#define SHELL_UNIQUE_FD_H_

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace shell {

// Owns a file descriptor and closes it when it goes out of scope. -1 means none.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  // Closes now and reports close()'s result, for writers that must know the data reached the disk.
  int Close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }
  void Reset() { Close(); }

 private:
  int fd_ = -1;
};

// Writes all `size` bytes, going on after short writes and interrupts; false on an error (errno
// tells which).
inline bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace shell

#endif  // SHELL_UNIQUE_FD_H_
