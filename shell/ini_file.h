#ifndef SHELL_INI_FILE_H_
#define SHELL_INI_FILE_H_

#include <string>

// The program's INI file, with the rules of the Win32 profile functions: "[section]" lines,
// "key=value" lines, ";" comment lines; section and key names match without regard to ASCII case,
// the first matching section and the first matching key in it count; values lose blanks at both
// ends and one pair of enclosing quotes ("..." or '...'). The file is UTF-8, LF or CRLF.
// Reads and writes may run on any thread; writes within the process are serialised, readers
// never see half a file.
namespace shell {

inline constexpr char kConfigSection[] = "global";
inline constexpr char kKeyOutputDir[] = "output-dir";      // text: absolute folder, empty = default
inline constexpr char kKeyWindowClose[] = "window-close";  // int: 0 ends, else minimises
inline constexpr char kKeyUserRealIp[] = "user-real-ip";   // text: public address, empty = unknown
inline constexpr char kKeyServiceUrl[] = "service-url";    // text: base URL of the web service

// The value of `key` in `section`, or `default_value` when the file, the section or the key is
// missing or the file cannot be read. A key present with an empty value gives "".
std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& default_value, const std::string& path);

// The value of `key` read as an integer: blanks, an optional sign and the leading decimal digits
// ("12abc" gives 12, "abc" gives 0), clamped to the range of int. A missing file, section or key,
// or an empty value, gives `default_value`.
int ReadIniInt(const std::string& section, const std::string& key, int default_value,
               const std::string& path);

// Sets `key` in `section` to `value`: replaces the key's line in place, or adds it after the last
// line of the section, or adds the section with the key at the end; creates the file when missing
// (mode 0600; an existing file keeps its mode, a link to the file is followed). All other lines
// stay as they are. The new content goes to a temporary file in the same folder, which is then
// renamed over the old, so a crash leaves either the old or the new file. Returns false, leaving
// the file untouched, when the folder is missing or not writable, the file cannot be read, or a
// name or the value cannot be stored (empty section or key, a line break, "]" in the section, "="
// in the key, or a key starting with "[" or ";").
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& path);

}  // namespace shell

#endif  // SHELL_INI_FILE_H_
