#include "shell/program_dir.h"

#include <filesystem>
#include <system_error>

#ifndef VANTU_DATA_FROM_BIN
#define VANTU_DATA_FROM_BIN "../share/vantu-voice-separate"
#endif

namespace shell {

std::string ProgramDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string dir = exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string DataDirFor(const std::string& program_dir, const std::string& installed_relative) {
  std::error_code ec;
  if (std::filesystem::is_directory(program_dir + "models", ec) || std::filesystem::is_directory(program_dir + "skin", ec)) {
    return program_dir;
  }
  return program_dir + installed_relative + "/";
}

std::string DataDir() { return DataDirFor(ProgramDir(), VANTU_DATA_FROM_BIN); }

}  // namespace shell
