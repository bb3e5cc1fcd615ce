#ifndef SHELL_UI_LANGUAGE_H_
#define SHELL_UI_LANGUAGE_H_

#include <functional>

// Which language the user interface speaks. The texts are written in Chinese; every other
// locale gets the English translation.
namespace shell {

enum class UiLanguage { kChinese, kEnglish };

// Looks up an environment variable; null when it is not set.
using EnvLookup = std::function<const char*(const char*)>;

// The language asked for by the environment: the entries of LANGUAGE (a colon-separated list of
// preferences) in order, skipping languages the program has no texts for; then the first set one
// of LC_ALL, LC_MESSAGES and LANG. Empty values count as unset. Chinese for "zh" with any
// territory, encoding or modifier ("zh", "zh_CN.UTF-8", "zh_TW"), English for everything else,
// "C" and "POSIX" included, and when nothing is set.
UiLanguage ChooseUiLanguage(const EnvLookup& getenv);
// The same over the process environment.
UiLanguage ChooseUiLanguage();

}  // namespace shell

#endif  // SHELL_UI_LANGUAGE_H_
