#ifndef UI_FRAMEWORK_TRANSLUCENCY_H_
#define UI_FRAMEWORK_TRANSLUCENCY_H_

namespace ui {

// Whether top-level windows with an alpha channel look translucent here. On X11 that needs a
// running compositing manager; without one such windows show black where they should be clear,
// so shadows and rounded popup corners are left out.
bool TranslucentWindowsSupported();

}  // namespace ui

#endif  // UI_FRAMEWORK_TRANSLUCENCY_H_
