#ifndef SHELL_LOGGING_H_
#define SHELL_LOGGING_H_

#include <ctime>
#include <string>

// The program's daily log: one folder in which only the current day's glog files are kept.
namespace shell {

// glog's program name, also the stem of every per-user name of the program.
inline constexpr char kLogProgramName[] = "VantuVoiceSeparate";

// Deletes every entry of the folder `log_dir` that is not a folder (files, links, anything else)
// whose name, from its 5th to its 12th character, is not `today`; a name shorter than 12
// characters is compared by what it has and so is deleted too. Characters are UTF-8 code
// points. Folders, and links to folders, stay. A failed delete is skipped. Returns false when
// `log_dir` cannot be listed, true otherwise. Any thread, but not two on the same folder at once.
bool LogCleanup(const std::string& log_dir, const std::string& today);

// The local date of `when` as "%Y%m%d", e.g. "20240131".
std::string LocalDateText(std::time_t when);
// LocalDateText of the current time.
std::string TodayText();

// Sends glog's output to files "log.<date>-<time>.<process id>" directly in `log_dir` (which must
// exist), every line flushed at once, a new file after 10 MB, nothing on standard error, and no
// more logging once the disk is full. Messages of every severity go to that one file; glog's
// separate WARNING/ERROR files and its symbolic link are not made, so the folder holds only the
// logs. Initialises glog with kLogProgramName unless it already is. The file names put the date
// where LogCleanup looks for it. Call once, at start-up, on the main thread, before any logging.
void SetUpLogging(const std::string& log_dir);

}  // namespace shell

#endif  // SHELL_LOGGING_H_
