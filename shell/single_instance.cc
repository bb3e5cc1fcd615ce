#include "shell/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

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
  return "VantuVoiceSeparate-instance-" + std::to_string(::getuid());
}

}  // namespace shell
