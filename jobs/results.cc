#include "jobs/results.h"

#include <signal.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "separation/audio/wav_file.h"
#include "separation/write_failure.h"

namespace jobs {
namespace {

namespace fs = std::filesystem;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

std::string Cause(const std::string& shown, int error) { return separation::WriteFailure(shown, error).what(); }

// The errno value behind a tool's own words, as strerror writes them; 0 when none is there.
int ErrorInText(const std::string& text) {
  for (const int error : {ENOSPC, EDQUOT, EFBIG, EROFS}) {
    if (text.find(std::generic_category().message(error)) != std::string::npos) return error;
  }
  return 0;
}

}  // namespace

std::string PartialResultPath(const std::string& result, int32_t item) {
  return separation::PartialPathFor(result, std::to_string(item));
}

std::string PublishResult(const std::string& partial, const std::string& result) {
  if (std::rename(partial.c_str(), result.c_str()) == 0) return "";
  const int error = errno;
  RemoveQuietly(partial);
  return Cause(result, error);
}

bool KeepIfNameFree(const std::string& partial, const std::string& result) {
  // link() never replaces a file, unlike rename().
  const bool kept = ::link(partial.c_str(), result.c_str()) == 0;
  RemoveQuietly(partial);
  return kept;
}

std::string WriteFailureCause(const std::string& shown, const std::string& written, const std::string& tool_text,
                              const ExitStatus& status) {
  if (status.signal == SIGXFSZ) return Cause(shown, EFBIG);
  const std::string folder = FolderOf(written);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return Cause(shown, ENOENT);
  if (::access(folder.c_str(), W_OK) != 0 && (errno == EROFS || errno == EACCES)) return Cause(shown, errno);
  if (const int error = ErrorInText(tool_text)) return Cause(shown, error);
  struct statvfs fs_info {};
  if (::statvfs(folder.c_str(), &fs_info) == 0 && fs_info.f_bavail == 0) return Cause(shown, ENOSPC);
  return "";
}

bool ToolSaysWriteFailed(const std::string& tool_text) {
  return ErrorInText(tool_text) != 0 || tool_text.find("Error writing trailer") != std::string::npos ||
         tool_text.find("Error closing file") != std::string::npos;
}

bool CompleteWav(const std::string& wav) {
  separation::WavFile file;
  return file.Open(wav, 0) == separation::kWavOk && file.available_data_bytes() >= file.header().data_size;
}

void RemoveStalePartials(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const long pid = separation::PartialWriterOf(it->path().filename().string());
    if (pid <= 0 || pid == ::getpid()) continue;
    // Only a writer that no longer runs; a live one (another instance) keeps its files.
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) RemoveQuietly(it->path().string());
  }
}

}  // namespace jobs
