// Why an item failed, as the windows show it. The jobs give the cause in English words (the
// command-line tools print them as they are); the windows show it in the installed language.
#ifndef UI_CAUSE_TEXT_H_
#define UI_CAUSE_TEXT_H_

#include <QString>
#include <string>

namespace ui {

// `cause` in the installed language: each known shape of the jobs' causes is rebuilt from its
// translated words, with the file names and the tools' own words kept as they are. A text of
// no known shape is shown as it stands.
QString CauseText(const std::string& cause);

}  // namespace ui

#endif  // UI_CAUSE_TEXT_H_
