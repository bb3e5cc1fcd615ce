#include "shell/dirs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/unique_fd.h"

namespace shell {

namespace {

// Creates one level; a level that already exists, or that a racing thread just made, is fine.
bool MakeLevel(const std::string& level) {
  if (::access(level.c_str(), F_OK) == 0) return true;
  return ::mkdir(level.c_str(), 0777) == 0 || errno == EEXIST;
}

void PrintError(const char* what, const std::string& level) {
  // One write per line, so lines of racing threads do not interleave.
  const std::string line = std::string("create dir error ") + what + ": " + level + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Names of the entries of the open folder `fd` that may be deleted, in byte order.
// Takes ownership of `fd`.
bool ListDeletable(UniqueFd fd, std::vector<std::string>* names) {
  DirHandle dir(::fdopendir(fd.get()));
  if (!dir) return false;
  fd.Release();  // the DIR stream owns it now
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] != '.') names->emplace_back(entry->d_name);
  }
  std::sort(names->begin(), names->end());
  return true;
}

// Empties the folder open as `fd`. Returns whether the last delete succeeded.
bool DeleteContentsAt(UniqueFd fd) {
  const int dir_fd = ::dup(fd.get());  // fdopendir takes one descriptor, *at() calls need another
  if (dir_fd < 0) return false;
  UniqueFd self(dir_fd);
  std::vector<std::string> names;
  if (!ListDeletable(std::move(fd), &names)) return false;
  bool last_ok = true;
  for (const std::string& name : names) {
    struct stat info {};
    const bool is_dir = ::fstatat(self.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                        S_ISDIR(info.st_mode);
    if (is_dir) {
      // O_NOFOLLOW: should the entry be swapped for a link meanwhile, the open fails and only
      // the rmdir below is tried, which cannot remove a link.
      UniqueFd child(::openat(self.get(), name.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (child.valid()) {
        // A folder without write or search permission cannot be emptied; it goes anyway.
        if ((info.st_mode & S_IRWXU) != S_IRWXU) {
          ::fchmod(child.get(), (info.st_mode & 07777) | S_IRWXU);
        }
        DeleteContentsAt(std::move(child));
      }
      last_ok = ::unlinkat(self.get(), name.c_str(), AT_REMOVEDIR) == 0;
    } else {
      last_ok = ::unlinkat(self.get(), name.c_str(), 0) == 0;
    }
  }
  return last_ok;
}

}  // namespace

std::string CreateDirs(const std::string& path) {
  std::string whole = path;
  while (whole.size() > 1 && whole.back() == '/') whole.pop_back();
  if (whole.empty() || whole == "/") return path;
  for (size_t slash = whole.find('/', 1); slash != std::string::npos;
       slash = whole.find('/', slash + 1)) {
    if (whole[slash - 1] == '/') continue;  // doubled separator
    const std::string level = whole.substr(0, slash);
    if (!MakeLevel(level)) PrintError("fullPath", level);
  }
  if (!MakeLevel(whole)) PrintError("curPath", path);
  return path;
}

bool DeleteDirContents(const std::string& path) {
  // The folder itself may be reached through a link the caller chose; nothing below it is.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  return DeleteContentsAt(std::move(fd));
}

}  // namespace shell
