#include "jobs/tool_locator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "shell/program_dir.h"

namespace jobs {

namespace {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::access(path.c_str(), X_OK) == 0;
}

std::string FindTool(const std::string& name, const std::string& program_dir,
                     const std::string& path_list) {
  // A name with a slash would escape the searched folders.
  if (name.empty() || name.find('/') != std::string::npos) return {};
  if (!program_dir.empty()) {
    std::string candidate = JoinPath(program_dir, name);
    if (IsExecutableFile(candidate)) return candidate;
  }
  size_t begin = 0;
  while (begin <= path_list.size()) {
    size_t end = path_list.find(':', begin);
    if (end == std::string::npos) end = path_list.size();
    std::string dir = path_list.substr(begin, end - begin);
    if (!dir.empty() && dir.front() == '/') {
      std::string candidate = JoinPath(dir, name);
      if (IsExecutableFile(candidate)) return candidate;
    }
    begin = end + 1;
  }
  return {};
}

std::string FindTool(const std::string& name) {
  const char* path = std::getenv("PATH");
  return FindTool(name, shell::ProgramDir(), path != nullptr ? path : "");
}

}  // namespace jobs
