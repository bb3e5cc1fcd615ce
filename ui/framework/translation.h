// The language of the windows. The texts in the sources and skins are Chinese; under any other
// locale an English translation (translations/vantu_en.qm in the data folder) replaces them.
#ifndef UI_FRAMEWORK_TRANSLATION_H_
#define UI_FRAMEWORK_TRANSLATION_H_

#include <QString>
#include <string>

#include "shell/ui_language.h"

class QCoreApplication;

namespace ui {

// The folder of the compiled translations: translations/ in the program's data folder.
QString TranslationsDir();

// Installs the translators for `language` on `app` (the program's own and, where Debian ships
// them, Qt's for its standard dialogs). Call before any window is built: forms are translated as
// they load. False when the English translation is asked for but cannot be loaded; the
// Chinese texts stay then.
bool InstallTranslation(QCoreApplication& app, shell::UiLanguage language);

// The language installed last (Chinese before any call).
shell::UiLanguage InstalledLanguage();

// A text that the jobs or the online services hand to the windows (a prompt, a refusal), as the
// user reads it in the installed language.
QString ShownText(const std::string& text);

}  // namespace ui

#endif  // UI_FRAMEWORK_TRANSLATION_H_
