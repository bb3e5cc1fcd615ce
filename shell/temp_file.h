#ifndef SHELL_TEMP_FILE_H_
#define SHELL_TEMP_FILE_H_

#include <unistd.h>

#include <string>
#include <utility>

namespace shell {

// Removes a temporary file when it goes out of scope, unless Commit() says it has been renamed
// to its final name.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  ~TempFileGuard() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  void Commit() { path_.clear(); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace shell

#endif  // SHELL_TEMP_FILE_H_
