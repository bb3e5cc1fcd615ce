#ifndef TESTS_SUPPORT_RUN_PROGRAM_H_
#define TESTS_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace testing_support {

struct ProgramResult {
  int exit_code;       // -1 when it did not exit normally
  std::string output;  // standard output and error together
};

// Runs a program with the arguments (each passed as it stands) and waits for it.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args);

// Makes the media file `path` with ffmpeg (`args` go before the output) and returns `path`;
// a test failure, with ffmpeg's own words, when it cannot.
std::string MakeMedia(const std::string& path, const std::vector<std::string>& args);

// Everything the descriptor delivers until end of file.
std::string ReadAll(int fd);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_RUN_PROGRAM_H_
