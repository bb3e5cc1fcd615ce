#include "jobs/media_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace jobs {
namespace {

namespace fs = std::filesystem;

const char kExtractPatterns[] =
    "*.mp3;*.aac;*.wma;*.m4a;*.ogg;*.flac;*.wav;*.mp4;*.flv;*.wmv;*.avi;*.mov;*.mkv;*.m4v;*.f4v;*.ts;*.mts;*.rm;"
    "*.rmvb;*.m3u8;*.webm;*.mpg;*.mpeg;*.asf;*.dat;*.3gp;*.3g2;*.vob;*ogv;*.divx;*.mxf";
const char kPitchPatterns[] = "*.mp3;*.aac;*.wma;*.ogg;*.m4a;*.flac;*.wav;*.3gpp;*.mp4;*.flv;*.wmv;*.avi;*.mov;*.mkv";
const char kAudioPatterns[] = "*.mp3;*.aac;*.wma;*.ogg;*.m4a;*.flac;*.wav;*.3gpp";

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
  if (suffix.size() > text.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

using FolderId = std::pair<dev_t, ino_t>;

class Walker {
 public:
  Walker(PageKind page, MediaFiles* out) : page_(page), out_(out) {}

  void Path(const fs::path& path, NamedFiles named) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      // Missing, or a dangling link: a caller who named it gets it, and its job says why not.
      if (named == NamedFiles::kKeep) out_->files.push_back(path.string());
      return;
    }
    if (S_ISDIR(st.st_mode)) return Folder(path, st);
    if (!S_ISREG(st.st_mode)) return;
    if (named == NamedFiles::kKeep || IsMediaFileName(page_, path.filename().string())) {
      out_->files.push_back(path.string());
    } else {
      ++out_->skipped;
    }
  }

 private:
  void Folder(const fs::path& folder, const struct stat& st) {
    if (!visited_.insert({st.st_dev, st.st_ino}).second) return;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (!name.empty() && name[0] != '.') names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), NameLess);
    for (const std::string& name : names) Path(folder / name, NamedFiles::kFilter);
  }

  PageKind page_;
  MediaFiles* out_;
  std::set<FolderId> visited_;
};

}  // namespace

const char* MediaPatterns(PageKind page) {
  return page == Extract ? kExtractPatterns : page == Pitch ? kPitchPatterns : kAudioPatterns;
}

bool IsMediaFileName(PageKind page, const std::string& name) {
  const std::string patterns = MediaPatterns(page);
  size_t start = 0;
  while (start < patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    // Every pattern is "*" and a suffix ("*ogv" has no dot and matches any name ending so).
    const std::string suffix = patterns.substr(start + 1, end - start - 1);
    if (name.size() > suffix.size() && EndsWithIgnoringCase(name, suffix)) return true;
    start = end + 1;
  }
  return false;
}

bool NameLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      // Compare the values without leading zeros: the longer run is the larger number.
      size_t zi = i, zj = j;
      while (zi + 1 < ei && a[zi] == '0') ++zi;
      while (zj + 1 < ej && b[zj] == '0') ++zj;
      if (ei - zi != ej - zj) return ei - zi < ej - zj;
      const int order = a.compare(zi, ei - zi, b, zj, ej - zj);
      if (order != 0) return order < 0;
      i = ei;
      j = ej;
      continue;
    }
    const char ca = Lower(a[i]), cb = Lower(b[j]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return j < b.size();
  return a < b;
}

MediaFiles ExpandMediaPaths(PageKind page, const std::vector<std::string>& paths, NamedFiles named) {
  MediaFiles out;
  Walker walker(page, &out);
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) continue;
    walker.Path(absolute.lexically_normal(), named);
  }
  return out;
}

}  // namespace jobs
