// Shared by the fuzz targets: quiet logging, a scratch folder, an in-memory file reachable by
// path, and a reader that splits the fuzzer's bytes into fields.
#ifndef TESTS_FUZZ_FUZZ_SUPPORT_H_
#define TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <glog/logging.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// Only fatal lines: the code's own error lines for bad input would drown the fuzzer's output.
inline void Quiet() {
  static const bool once = (FLAGS_minloglevel = google::GLOG_FATAL, true);
  (void)once;
}

// The process's scratch folder below the temporary folder, named and made on the first call.
inline const std::string& ScratchDir(const std::string& name) {
  static const std::string dir = [&name] {
    std::string d = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// One in-memory file reused for every input.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("fuzz", 0)), path_("/proc/self/fd/" + std::to_string(fd_)) {
    if (fd_ < 0) abort();
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  const std::string& Fill(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) abort();
    return path_;
  }

 private:
  int fd_;
  std::string path_;
};

// Fields separated by a 0x1F byte; missing fields are empty.
class Fields {
 public:
  Fields(const uint8_t* data, size_t size) : text_(reinterpret_cast<const char*>(data), size) {}
  std::string Next() {
    if (pos_ > text_.size()) return "";
    const size_t end = text_.find('\x1f', pos_);
    const size_t stop = end == std::string::npos ? text_.size() : end;
    std::string field = text_.substr(pos_, stop - pos_);
    pos_ = stop + 1;
    return field;
  }
  // The first byte of the next field as a small number (0 for an empty field).
  unsigned Byte() {
    const std::string f = Next();
    return f.empty() ? 0 : static_cast<unsigned char>(f[0]);
  }

 private:
  std::string text_;
  size_t pos_ = 0;
};

}  // namespace fuzz

#endif  // TESTS_FUZZ_FUZZ_SUPPORT_H_
