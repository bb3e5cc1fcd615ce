#include "shell/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

#include "shell/dirs.h"
#include "shell/ini_file.h"
#include "shell/text.h"

namespace shell {

namespace {

// An XDG base folder: the variable when it holds an absolute path (the rules say to ignore
// relative ones), else HomeDir() + fallback.
std::string XdgBaseDir(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return HomeDir() + fallback;
}

// The folder user-dirs.dirs names for `key` (e.g. "XDG_DOCUMENTS_DIR"), empty when none.
// Only the two forms xdg-user-dirs writes count: "$HOME/..." and "/...".
std::string LookupUserDir(const std::string& key) {
  std::ifstream in(XdgBaseDir("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
  std::string found;
  std::string line;
  while (std::getline(in, line)) {
    size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0) continue;
    pos = line.find_first_not_of(" \t", pos + key.size());
    if (pos == std::string::npos || line[pos] != '=') continue;
    pos = line.find_first_not_of(" \t", pos + 1);
    if (pos == std::string::npos || line[pos] != '"') continue;
    ++pos;
    std::string value;
    if (line.compare(pos, 5, "$HOME") == 0 && pos + 5 < line.size() &&
        (line[pos + 5] == '/' || line[pos + 5] == '"')) {
      value = HomeDir();
      pos += 5;
    } else if (pos >= line.size() || line[pos] != '/') {
      continue;
    }
    for (; pos < line.size() && line[pos] != '"'; ++pos) {
      if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
      value += line[pos];
    }
    found = value;  // a later line overrides an earlier one
  }
  return found;
}

std::mutex g_ini_path_mutex;  // constant-initialised, so usable from any static initialiser
std::atomic<const std::string*> g_ini_path{nullptr};

}  // namespace

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 1024);
  passwd entry{};
  passwd* result = nullptr;
  int error = 0;
  while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result)) ==
         ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  return error == 0 && result && result->pw_dir ? result->pw_dir : "";
}

std::string AppDataBaseDir() { return XdgBaseDir("XDG_DATA_HOME", "/.local/share"); }

std::string CreateAppDataDir(const std::string& relative) {
  return CreateDirs(AppDataBaseDir() + "/" + relative);
}

std::string UserDocumentsDir() {
  const std::string dir = LookupUserDir("XDG_DOCUMENTS_DIR");
  return dir.empty() ? HomeDir() + "/Documents" : dir;
}

std::string UserDesktopDir() {
  const std::string dir = LookupUserDir("XDG_DESKTOP_DIR");
  return dir.empty() ? HomeDir() + "/Desktop" : dir;
}

const std::string& GetConfigIniPath() {
  const std::string candidate = CreateAppDataDir("VantuVoiceSeparate/Config") + "/configure.ini";
  const std::string* path = g_ini_path.load(std::memory_order_acquire);
  if (!path) {
    std::lock_guard<std::mutex> lock(g_ini_path_mutex);
    path = g_ini_path.load(std::memory_order_relaxed);
    if (!path) {
      path = new std::string(candidate);  // lives until the process ends, like its users
      g_ini_path.store(path, std::memory_order_release);
    }
  }
  return *path;
}

std::string GetOutputDir() { return GetOutputDir(GetConfigIniPath()); }

std::string GetOutputDir(const std::string& ini_path) {
  std::string dir = TrimWhiteSpace(ReadIniString(kConfigSection, kKeyOutputDir, "", ini_path));
  if (dir.empty()) {
    std::string base = UserDocumentsDir();
    if (::access(base.c_str(), F_OK) != 0) base = UserDesktopDir();
    dir = base + "/" + kOutputFolderName;
  }
  return CreateDirs(dir);
}

}  // namespace shell
