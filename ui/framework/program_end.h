#ifndef UI_FRAMEWORK_PROGRAM_END_H_
#define UI_FRAMEWORK_PROGRAM_END_H_

#include <functional>

namespace ui {

// Ends the program's event loop with `code`: when the main window really closes, after the
// installer was opened, or when a forced upgrade was cancelled. Tests replace it, since an
// ended event loop cannot run another modal dialog.
void EndProgram(int code);
// nullptr restores the real ending.
void SetEndProgram(std::function<void(int code)> end);

}  // namespace ui

#endif  // UI_FRAMEWORK_PROGRAM_END_H_
