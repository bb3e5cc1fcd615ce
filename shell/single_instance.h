#ifndef SHELL_SINGLE_INSTANCE_H_
#define SHELL_SINGLE_INSTANCE_H_

#include <string>

#include "shell/unique_fd.h"

// Keeps the program to one running copy per user. The first copy holds an exclusive lock on a
// file in its app-data folder for its whole life; a later start finds the lock taken, asks the
// first copy through a local socket named by InstanceSocketName() to raise its window, and ends.
namespace shell {

// An exclusive lock (flock) on the file at `path`, taken without waiting at construction and
// released at destruction, or by the system when the process ends in any way, a crash included.
// The file is created when missing and left in place. The descriptor is not inherited by
// programs the process starts, so a child that outlives the program does not keep the lock.
// The lock belongs to this object, not to the process: a second InstanceLock on the same file in
// the same process is refused while the first lives.
class InstanceLock {
 public:
  explicit InstanceLock(const std::string& path);
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Whether this object holds the lock.
  bool acquired() const { return fd_.valid(); }
  // 0 when acquired; EWOULDBLOCK when another holder has the lock; otherwise the errno of the
  // open or lock that failed (e.g. ENOENT when the folder is missing).
  int error() const { return error_; }

 private:
  UniqueFd fd_;
  int error_ = 0;
};

// Name of the local socket through which a later start reaches the running copy; it differs
// between users (it carries the user id) so that each user has a copy of their own, and between
// application-data folders (AppDataBaseDir), as the lock file does.
std::string InstanceSocketName();

}  // namespace shell

#endif  // SHELL_SINGLE_INSTANCE_H_
