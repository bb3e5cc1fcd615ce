#ifndef SHELL_PROGRAM_DIR_H_
#define SHELL_PROGRAM_DIR_H_

#include <string>

namespace shell {

// The folder of the running program, ending in "/". The program's tools and run-time data
// (models/, skin/) lie beside it.
std::string ProgramDir();

}  // namespace shell

#endif  // SHELL_PROGRAM_DIR_H_
