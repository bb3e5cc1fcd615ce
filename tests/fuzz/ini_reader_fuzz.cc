// libFuzzer target: any configuration file must read as a value or the default, and a value
// written into it must read back, never a crash or a read out of bounds.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/ini_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Quiet();
  const std::string& dir = fuzz::ScratchDir("ini-fuzz");
  fuzz::Fields fields(data, size);
  const std::string section = fields.Next();
  const std::string key = fields.Next();
  const std::string value = fields.Next();
  const std::string content = fields.Next();

  static fuzz::MemoryFile memory;
  const std::string& path = memory.Fill(reinterpret_cast<const uint8_t*>(content.data()), content.size());
  shell::ReadIniString(section, key, "default", path);
  shell::ReadIniString(shell::kConfigSection, shell::kKeyOutputDir, "", path);
  shell::ReadIniInt(section, key, 7, path);
  shell::ReadIniInt(shell::kConfigSection, shell::kKeyWindowClose, 1, path);

  // A write over any file keeps it readable and gives back a plain value as written.
  const std::string file = dir + "/configure.ini";
  std::error_code ec;
  std::filesystem::remove(file, ec);
  if (!content.empty()) {
    FILE* f = fopen(file.c_str(), "wb");
    if (!f || fwrite(content.data(), 1, content.size(), f) != content.size()) abort();
    fclose(f);
  }
  const std::string plain = "v" + std::to_string(size);
  if (shell::WriteIniString(section, key, plain, file) && shell::ReadIniString(section, key, "", file) != plain) {
    abort();
  }
  shell::WriteIniString(section, key, value, file);
  return 0;
}
