#ifndef SHELL_COMMAND_LINE_H_
#define SHELL_COMMAND_LINE_H_

#include <string>
#include <vector>

// The desktop program's command line: files to open, or a request for help or the version.
namespace shell {

struct DesktopCommandLine {
  enum Action { kRun, kHelp, kVersion, kUsageError };
  Action action = kRun;
  // The files to add, as absolute paths, in the order given.
  std::vector<std::string> files;
  // What was wrong, for kUsageError.
  std::string error;
};

// The help text of the desktop program.
extern const char kDesktopUsage[];

// Reads the arguments after the program's name. "-h"/"--help" and "-v"/"--version" win over
// anything else; "--" ends the options; another argument that starts with "-" is a usage error.
// A "file://" URI becomes its local path; a relative path is taken from `working_dir`.
DesktopCommandLine ParseDesktopCommandLine(const std::vector<std::string>& args, const std::string& working_dir);

}  // namespace shell

#endif  // SHELL_COMMAND_LINE_H_
