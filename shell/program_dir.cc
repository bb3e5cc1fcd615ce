#include "shell/program_dir.h"

#include <filesystem>
#include <system_error>

namespace shell {

std::string ProgramDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string dir = exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace shell
