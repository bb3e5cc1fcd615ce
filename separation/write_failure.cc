#include "separation/write_failure.h"

#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace separation {
namespace {

constexpr char kPartialPrefix[] = ".vantu-partial-";

}  // namespace

WriteFailure::WriteFailure(const std::string& path, int error)
    : CheckFailure(path + " could not be written: " + WriteErrorText(error)), path_(path), error_(error) {}

std::string WriteErrorText(int error) {
  switch (error) {
    case 0: return "the write failed";
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EFBIG: return "the file would be larger than the file size limit allows";
    case ENOENT: return "its folder no longer exists";
    case ENOTDIR: return "its folder is a file, not a folder";
    case EACCES:
    case EPERM: return "the folder may not be written to";
    case EROFS: return "the disk is read-only";
    case EIO: return "the disk reported an error";
    default: {
      std::string text = std::generic_category().message(error);
      if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
      return text;
    }
  }
}

std::string PartialPathFor(const std::string& path, const std::string& tag) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + kPartialPrefix + std::to_string(getpid()) + "-" + tag + "-" + name;
}

long PartialWriterOf(const std::string& file_name) {
  const std::string prefix = kPartialPrefix;
  if (file_name.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* digits = file_name.c_str() + prefix.size();
  char* end = nullptr;
  errno = 0;
  const long pid = std::strtol(digits, &end, 10);
  if (errno != 0 || end == digits || *end != '-' || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return 0;
  return pid;
}

}  // namespace separation
