// Failures to write a result file, told in words a user understands, and the names results
// are written under until they are complete.
//
// A result is written under a partial name in its own folder and renamed to its real name only
// once it is complete, so a failure never leaves a truncated file under a result's name. The
// partial name carries the writer's process id, so a later run can tell the leftovers of a
// killed process from the files of one still running.
#ifndef SEPARATION_WRITE_FAILURE_H_
#define SEPARATION_WRITE_FAILURE_H_

#include <string>

#include "separation/check.h"

namespace separation {

// A result could not be written. what() is "<path> could not be written: <cause in words>".
// Derives from CheckFailure so that every handler of engine failures still catches it.
class WriteFailure : public CheckFailure {
 public:
  WriteFailure(const std::string& path, int error);
  const std::string& path() const { return path_; }
  int error() const { return error_; }  // errno value, 0 when unknown

 private:
  std::string path_;
  int error_;
};

// What an errno value means for a file that was being written, in words ("the disk is full").
std::string WriteErrorText(int error);

// The partial name for `path`: a hidden name in the same folder with the same extension
// (tools pick the format from it), unique per process and `tag`.
std::string PartialPathFor(const std::string& path, const std::string& tag);
// The id of the process that wrote a partial file of this name (the last path component),
// or 0 when the name is not a partial name.
long PartialWriterOf(const std::string& file_name);

}  // namespace separation

#endif  // SEPARATION_WRITE_FAILURE_H_
