// The console trace of the jobs ("appPath: …", "cmdline: …", "duration: …"): one line each on
// standard output, whole lines even when several threads trace at once.
#ifndef JOBS_TRACE_H_
#define JOBS_TRACE_H_

#include <string>

namespace jobs {

void Trace(const std::string& line);
// On by default; the command-line front end turns it off unless asked for.
void SetTraceEnabled(bool enabled);

}  // namespace jobs

#endif  // JOBS_TRACE_H_
