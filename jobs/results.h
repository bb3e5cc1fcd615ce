// Where the jobs' results are written: under a partial name beside the result, renamed to the
// result's name only when complete, so a failed run never leaves a truncated file under that
// name and an earlier result of the same name survives it. Also the plain-language cause of a
// tool's failure to write. Thread-safe: plain functions over the file system.
#ifndef JOBS_RESULTS_H_
#define JOBS_RESULTS_H_

#include <string>

#include "jobs/child_process.h"

namespace jobs {

// The partial name a job's tool writes `result` under; `item` keeps items apart.
std::string PartialResultPath(const std::string& result, int32_t item);

// Renames a complete `partial` to `result` (replacing an earlier file of that name). Returns
// the empty string, or the cause in words when that failed; the partial file is then removed.
std::string PublishResult(const std::string& partial, const std::string& result);

// Moves `partial` to `result` only when no file of that name is there; else removes it.
// True when it now lies under `result`.
bool KeepIfNameFree(const std::string& partial, const std::string& result);

// When a tool that was writing `written` failed for a reason of the disk or the folder (full,
// file size limit, folder gone or read-only), the cause in words naming `shown` (the name the
// user knows); the empty string otherwise. `tool_text` is what the tool printed, if anything.
// Call before the partial file is removed: a full disk is told by its free space too.
std::string WriteFailureCause(const std::string& shown, const std::string& written, const std::string& tool_text,
                              const ExitStatus& status);

// True when a tool's words say that writing its output failed. ffmpeg reports a full disk at
// the trailer this way and may still exit with status 0.
bool ToolSaysWriteFailed(const std::string& tool_text);

// True when `wav` is a complete WAV file: its samples all there, as its header counts them.
// A tool whose last buffered write was lost leaves it short.
bool CompleteWav(const std::string& wav);

// Removes the partial files that processes no longer running left in `folder` (a killed run).
void RemoveStalePartials(const std::string& folder);

}  // namespace jobs

#endif  // JOBS_RESULTS_H_
