#ifndef JOBS_TOOL_LOCATOR_H_
#define JOBS_TOOL_LOCATOR_H_

#include <string>

namespace jobs {

// Full path of an external program ("ffmpeg", "soundstretch"): the copy beside the running
// program wins over the ones on PATH. Empty when none is found.
std::string FindTool(const std::string& name);

// The same search over the given folders. program_dir may lack the trailing "/"; path_list is
// a PATH-style list. Empty and relative PATH entries are skipped, so the result never depends
// on the current folder.
std::string FindTool(const std::string& name, const std::string& program_dir,
                     const std::string& path_list);

// A regular file that this process may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace jobs

#endif  // JOBS_TOOL_LOCATOR_H_
