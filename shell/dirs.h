#ifndef SHELL_DIRS_H_
#define SHELL_DIRS_H_

#include <string>

// Folder operations. They keep no state and may run on any thread at once.
namespace shell {

// Creates every missing level of the folder `path` ("/" separated) and returns `path` unchanged.
// A level that cannot be created is reported only on standard output, as
// "create dir error fullPath: <level>" for an intermediate level and
// "create dir error curPath: <path>" for the folder itself; the caller gets the path anyway and
// finds out when it uses the folder. A level another thread creates at the same moment counts as
// created.
std::string CreateDirs(const std::string& path);

// Deletes every file and folder inside `path`, read-only ones too, but keeps `path` itself and
// every entry whose name begins with "." (and so a folder holding such an entry). Symbolic links
// inside are removed as links and never followed. Single failures are skipped. Returns false when
// `path` cannot be opened as a folder; otherwise whether the last delete at the top level
// succeeded (entries are handled in byte order of their names), true when there was nothing to
// delete.
bool DeleteDirContents(const std::string& path);

}  // namespace shell

#endif  // SHELL_DIRS_H_
