#include "shell/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

#include "shell/paths.h"
#include "shell/unique_fd.h"

namespace shell {

InstanceLock::InstanceLock(const std::string& path) {
  UniqueFd fd;
  do {
    fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  } while (!fd.valid() && errno == EINTR);
  if (!fd.valid()) {
    error_ = errno;
    return;
  }
  int result;
  do {
    result = ::flock(fd.get(), LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    error_ = errno;
    return;
  }
  fd_ = std::move(fd);
}

std::string InstanceSocketName() {
  // FNV-1a of the data folder: a program run with another XDG_DATA_HOME (a test, say) has its
  // own lock, so it gets its own socket too.
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : AppDataBaseDir()) hash = (hash ^ c) * 1099511628211ull;
  std::string hex;
  for (int shift = 60; shift >= 0; shift -= 4) hex += "0123456789abcdef"[(hash >> shift) & 0xF];
  return "VantuVoiceSeparate-instance-" + hex + "-" + std::to_string(::getuid());
}

}  // namespace shell
