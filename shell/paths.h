#ifndef SHELL_PATHS_H_
#define SHELL_PATHS_H_

#include <string>

// Where the program keeps its files. Every folder comes from the environment on each call, so
// tests point HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at folders of their own. All functions may
// run on any thread, as long as nobody changes the environment meanwhile.
namespace shell {

// Name of the default output folder, below the documents (or desktop) folder.
inline constexpr char kOutputFolderName[] = "VANTU人声分离";

// $HOME, else the home folder of the user's account; empty when neither is known.
std::string HomeDir();

// Base of the application data: $XDG_DATA_HOME when it is an absolute path, else
// HomeDir() + "/.local/share".
std::string AppDataBaseDir();

// Returns AppDataBaseDir() + "/" + `relative` (e.g. "VantuVoiceSeparate/Temp", no leading or
// trailing "/") with every missing level created as CreateDirs does; failures are only printed.
std::string CreateAppDataDir(const std::string& relative);

// The user's documents and desktop folders from user-dirs.dirs in $XDG_CONFIG_HOME (when
// absolute, else HomeDir() + "/.config"); HomeDir() + "/Documents" and "/Desktop" when the file
// names none. Neither is checked for existence nor created.
std::string UserDocumentsDir();
std::string UserDesktopDir();

// Full path of configure.ini in the folder CreateAppDataDir("VantuVoiceSeparate/Config"). That
// folder is created again on every call, in case the user removed it. The path is fixed by the
// first call and the same string is returned for the rest of the process. Any thread; throws
// std::system_error only if its guarding mutex cannot be locked.
const std::string& GetConfigIniPath();

// The output folder of all jobs, created if missing: "output-dir" of section "global" in the INI
// file, trimmed of white space; when that is empty, UserDocumentsDir() (UserDesktopDir() when the
// documents folder does not exist) + "/" + kOutputFolderName. The default is never written back.
// Failures to create are only printed, the path is returned anyway.
std::string GetOutputDir();
// The same, reading the INI file at `ini_path` instead of GetConfigIniPath().
std::string GetOutputDir(const std::string& ini_path);

}  // namespace shell

#endif  // SHELL_PATHS_H_
