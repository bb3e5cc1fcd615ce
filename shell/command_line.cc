#include "shell/command_line.h"

#include <filesystem>
#include <string>
#include <vector>

namespace shell {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of a "file://" URI with its %XX escapes decoded; file managers hand over either form.
std::string PathOfFileUri(const std::string& uri) {
  std::string rest = uri.substr(7);
  // "file://localhost/x" and "file:///x" name the same file.
  if (rest.rfind("localhost/", 0) == 0) rest = rest.substr(9);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
      path += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

}  // namespace

const char kDesktopUsage[] =
    "Usage: VantuVoiceSeparate [FILE...]\n"
    "\n"
    "Separates the singing voice from the accompaniment of songs and videos, with a toolbox for\n"
    "pitch, tempo, silence removal, compression, reversing and tags.\n"
    "Each FILE joins the task list of the vocal separation page. When the program is already\n"
    "running, the files go to its window, which comes to the front.\n"
    "\n"
    "  -h, --help     show this text\n"
    "  -v, --version  show the version\n"
    "  --             every later argument is a file\n";

DesktopCommandLine ParseDesktopCommandLine(const std::vector<std::string>& args, const std::string& working_dir) {
  DesktopCommandLine line;
  bool options = true;
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "-h" || arg == "--help") return DesktopCommandLine{DesktopCommandLine::kHelp, {}, {}};
    if (arg == "-v" || arg == "--version") return DesktopCommandLine{DesktopCommandLine::kVersion, {}, {}};
  }
  for (const std::string& arg : args) {
    if (options && arg == "--") {
      options = false;
      continue;
    }
    if (options && !arg.empty() && arg[0] == '-') {
      if (line.action != DesktopCommandLine::kUsageError) {
        line.action = DesktopCommandLine::kUsageError;
        line.error = "unknown option '" + arg + "'";
      }
      continue;
    }
    if (arg.empty()) continue;
    const std::filesystem::path path = arg.rfind("file://", 0) == 0 ? PathOfFileUri(arg) : arg;
    line.files.push_back((std::filesystem::path(working_dir) / path).lexically_normal().string());
  }
  if (line.action == DesktopCommandLine::kUsageError) line.files.clear();
  return line;
}

}  // namespace shell
