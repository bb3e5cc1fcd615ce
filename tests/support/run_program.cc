#include "tests/support/run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

namespace testing_support {
namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = Quote(program);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " 2>&1 </dev/null";
  ProgramResult r{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
  const int status = pclose(pipe);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string MakeMedia(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> argv{"-y", "-v", "error"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(path);
  const ProgramResult r = RunProgram("ffmpeg", argv);
  EXPECT_EQ(r.exit_code, 0) << "could not make " << path << ": " << r.output;
  return path;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace testing_support
