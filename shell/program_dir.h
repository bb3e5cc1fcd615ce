#ifndef SHELL_PROGRAM_DIR_H_
#define SHELL_PROGRAM_DIR_H_

#include <string>

namespace shell {

// The folder of the running program, ending in "/". The program's tools lie beside it.
std::string ProgramDir();

// The folder of the program's read-only data (models/, skin/, translations/), ending in "/".
// In a build tree the data lies beside the program; an installed program finds it in its data
// folder, reached from the program's folder by a relative path fixed at build time, so the
// installed tree can be moved to any prefix.
std::string DataDir();

// DataDir() for a program in `program_dir` (ending in "/"): `program_dir` itself when it holds a
// "models" or "skin" folder, else `program_dir` + `installed_relative` + "/".
std::string DataDirFor(const std::string& program_dir, const std::string& installed_relative);

}  // namespace shell

#endif  // SHELL_PROGRAM_DIR_H_
