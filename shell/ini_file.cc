#include "shell/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "shell/temp_file.h"
#include "shell/unique_fd.h"

namespace shell {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr size_t kReadChunk = 64 * 1024;

std::mutex g_write_mutex;  // one read-modify-write at a time, or concurrent writers lose keys

struct IniText {
  bool bom = false;
  std::string eol = "\n";
  std::vector<std::string> lines;  // without their line ends
};

std::string TrimBlanks(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// Returns 0, or the errno of the failing call.
int ReadWholeFile(const std::string& path, std::string* bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno;
  for (;;) {
    const size_t old_size = bytes->size();
    bytes->resize(old_size + kReadChunk);
    const ssize_t got = ::read(fd.get(), &(*bytes)[old_size], kReadChunk);
    const int error = got < 0 ? errno : 0;
    bytes->resize(old_size + static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got == 0) return 0;
    if (got < 0 && error != EINTR) return error;
  }
}

IniText Parse(const std::string& bytes) {
  IniText text;
  size_t start = 0;
  if (bytes.compare(0, 3, kBom) == 0) {
    text.bom = true;
    start = 3;
  }
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    std::string line = bytes.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      if (text.lines.empty()) text.eol = "\r\n";  // the file's first line break sets the style
    }
    text.lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return text;
}

std::string Serialize(const IniText& text) {
  std::string bytes = text.bom ? kBom : "";
  for (const std::string& line : text.lines) bytes += line + text.eol;
  return bytes;
}

bool SectionOf(const std::string& line, std::string* name) {
  const std::string s = TrimBlanks(line);
  if (s.empty() || s[0] != '[') return false;
  const size_t close = s.find(']');
  if (close == std::string::npos) return false;
  *name = TrimBlanks(s.substr(1, close - 1));
  return true;
}

// Splits a key line; false for blank lines, comments, headers and lines without a name.
bool KeyOf(const std::string& line, std::string* key, std::string* value) {
  const std::string s = TrimBlanks(line);
  if (s.empty() || s[0] == ';' || s[0] == '[') return false;
  const size_t eq = s.find('=');
  *key = TrimBlanks(s.substr(0, eq));
  *value = eq == std::string::npos ? "" : TrimBlanks(s.substr(eq + 1));
  return !key->empty();
}

// Lines (header, end) of the first section named `section`.
struct Range {
  size_t header = 0;
  size_t end = 0;
};

bool FindSection(const IniText& text, const std::string& section, Range* range) {
  std::string name;
  for (size_t i = 0; i < text.lines.size(); ++i) {
    if (!SectionOf(text.lines[i], &name) || !EqualsNoCase(name, section)) continue;
    range->header = i;
    range->end = i + 1;
    while (range->end < text.lines.size() && !SectionOf(text.lines[range->end], &name)) {
      ++range->end;
    }
    return true;
  }
  return false;
}

// Index of the first line of `range` that sets `key`, or npos; its value goes to `value`.
size_t FindKey(const IniText& text, const Range& range, const std::string& key,
               std::string* value) {
  std::string name;
  for (size_t i = range.header + 1; i < range.end; ++i) {
    if (KeyOf(text.lines[i], &name, value) && EqualsNoCase(name, key)) return i;
  }
  return std::string::npos;
}

// Whether `text` holds a line break, a NUL or one of `also`: it would break the file's lines.
bool HasBreak(const std::string& text, const char* also = "") {
  return text.find_first_of(std::string("\r\n\0", 3) + also) != std::string::npos;
}

// A link to the INI file is followed, so the rename replaces the file and keeps the link.
std::string FollowLink(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temp = path + ".tmpXXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return false;
  TempFileGuard guard(temp);
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && ::fchmod(fd.get(), info.st_mode & 07777) != 0) {
    return false;
  }
  // fsync before rename: otherwise a crash may leave the new name with no data behind it.
  if (!WriteAll(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0 || fd.Close() != 0) {
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) return false;
  guard.Commit();
  return true;
}

}  // namespace

std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& default_value, const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, &bytes) != 0) return default_value;
  const IniText text = Parse(bytes);
  Range range;
  std::string value;
  if (!FindSection(text, TrimBlanks(section), &range) ||
      FindKey(text, range, TrimBlanks(key), &value) == std::string::npos) {
    return default_value;
  }
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

int ReadIniInt(const std::string& section, const std::string& key, int default_value,
               const std::string& path) {
  const std::string text = ReadIniString(section, key, "", path);
  if (text.empty()) return default_value;
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string::npos) return 0;
  const bool negative = text[pos] == '-';
  if (text[pos] == '-' || text[pos] == '+') ++pos;
  int64_t magnitude = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[pos] - '0'), int64_t{INT_MAX} + 1);
  }
  const int64_t result = negative ? -magnitude : std::min<int64_t>(magnitude, INT_MAX);
  return static_cast<int>(result);
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& path) {
  const std::string name = TrimBlanks(section);
  const std::string entry_key = TrimBlanks(key);
  if (name.empty() || entry_key.empty() || entry_key[0] == '[' || entry_key[0] == ';' ||
      HasBreak(name, "]") || HasBreak(entry_key, "=") || HasBreak(value)) {
    return false;
  }
  const std::string target = FollowLink(path);
  std::lock_guard<std::mutex> lock(g_write_mutex);
  std::string bytes;
  const int error = ReadWholeFile(target, &bytes);
  if (error != 0 && error != ENOENT) return false;  // never overwrite what we could not read
  IniText text = Parse(bytes);
  const std::string entry = entry_key + "=" + value;
  Range range;
  std::string old_value;
  if (!FindSection(text, name, &range)) {
    text.lines.push_back("[" + name + "]");
    text.lines.push_back(entry);
  } else if (const size_t line = FindKey(text, range, entry_key, &old_value);
             line != std::string::npos) {
    text.lines[line] = entry;
  } else {
    // After the section's last non-blank line, so blank lines before the next header stay there.
    size_t at = range.header + 1;
    for (size_t i = at; i < range.end; ++i) {
      if (!TrimBlanks(text.lines[i]).empty()) at = i + 1;
    }
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
  }
  return ReplaceFile(target, Serialize(text));
}

}  // namespace shell
