#ifndef TESTS_JOBS_JOBS_TEST_UTIL_H_
#define TESTS_JOBS_JOBS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "jobs/child_process.h"
#include "jobs/tool_locator.h"

namespace jobs_test {

// Everything the descriptor delivers until end of file.
inline std::string ReadAll(int fd) {
  std::string text;
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer.data(), static_cast<size_t>(n));
  }
  return text;
}

inline std::string Ffmpeg() {
  const char* path = std::getenv("PATH");
  return jobs::FindTool("ffmpeg", "", path != nullptr ? path : "");
}

// Runs ffmpeg quietly with the given arguments (output file last) and expects success.
inline void MakeMedia(const std::vector<std::string>& args) {
  std::string ffmpeg = Ffmpeg();
  ASSERT_FALSE(ffmpeg.empty()) << "ffmpeg is not on PATH";
  std::vector<std::string> argv = {ffmpeg, "-y", "-v", "error"};
  argv.insert(argv.end(), args.begin(), args.end());
  jobs::RunResult result = jobs::RunAndWait(argv);
  ASSERT_TRUE(result.started()) << result.error;
  ASSERT_EQ(result.status.code, 0) << "ffmpeg failed making " << args.back();
}

}  // namespace jobs_test

#endif  // TESTS_JOBS_JOBS_TEST_UTIL_H_
