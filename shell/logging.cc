#include "shell/logging.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glog/logging.h>

#include <ctime>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shell/unique_fd.h"

namespace shell {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Byte offset just past `count` UTF-8 characters from `from`, or the end of `text`.
std::size_t SkipCharacters(const std::string& text, std::size_t from, int count) {
  std::size_t pos = from;
  for (int i = 0; i < count && pos < text.size(); ++i) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return pos;
}

// Characters 5 to 12 of a name: where glog's file names carry their date behind "log.".
std::string DatePart(const std::string& name) {
  const std::size_t begin = SkipCharacters(name, 0, 4);
  const std::size_t end = SkipCharacters(name, begin, 8);
  return name.substr(begin, end - begin);
}

// Whether the entry is a folder or leads to one; such entries are never deleted.
bool IsFolder(int dir_fd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat info {};
  return ::fstatat(dir_fd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool LogCleanup(const std::string& log_dir, const std::string& today) {
  UniqueFd fd(::open(log_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  DirHandle dir(::fdopendir(fd.get()));
  if (!dir) return false;
  fd.Release();  // the DIR stream owns it now
  const int dir_fd = ::dirfd(dir.get());

  // Names first, deletes after: removing entries while reading the folder may skip others.
  std::vector<std::string> doomed;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (IsFolder(dir_fd, *entry)) continue;
    const std::string name = entry->d_name;
    if (DatePart(name) != today) doomed.push_back(name);
  }
  for (const std::string& name : doomed) ::unlinkat(dir_fd, name.c_str(), 0);
  return true;
}

std::string LocalDateText(std::time_t when) {
  std::tm local {};
  if (::localtime_r(&when, &local) == nullptr) return std::string();
  std::ostringstream text;
  text << std::put_time(&local, "%Y%m%d");
  return text.str();
}

std::string TodayText() { return LocalDateText(std::time(nullptr)); }

void SetUpLogging(const std::string& log_dir) {
  if (!google::IsGoogleLoggingInitialized()) google::InitGoogleLogging(kLogProgramName);
  // glog puts the extension after its date, so "log." goes into the base name instead: the
  // date must stand right behind it for LogCleanup to keep today's files.
  google::SetLogDestination(google::GLOG_INFO, (log_dir + "/log.").c_str());
  google::SetLogFilenameExtension("");
  google::SetLogSymlink(google::GLOG_INFO, "");
  // Their files would land in the temporary folder, never cleaned; the INFO file has it all.
  google::SetLogDestination(google::GLOG_WARNING, "");
  google::SetLogDestination(google::GLOG_ERROR, "");
  google::SetLogDestination(google::GLOG_FATAL, "");
  FLAGS_logtostderr = false;
  FLAGS_alsologtostderr = false;
  FLAGS_logbufsecs = 0;
  FLAGS_max_log_size = 10;
  FLAGS_stop_logging_if_full_disk = true;
}

}  // namespace shell
