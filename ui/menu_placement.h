#ifndef UI_MENU_PLACEMENT_H_
#define UI_MENU_PLACEMENT_H_

// Where the small popup menus open on the screen. Pure functions of screen pixels, without Qt, so
// the rules can be checked without a display; any thread.
namespace ui {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// Edges in screen pixels: left and top inside, right and bottom one past the last pixel.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Top-left corner of an item's popup menu of `width` x `height` opened at `point` on a screen
// whose work area is `work_area`. Away from the edges the menu lies to the left of the point,
// its right edge at point.x: (x - width, y). When it would reach below the work area it is moved
// up to end at the work area's bottom (to the screen top when it is not shorter than the work
// area); when point.x + width passes the work area's right edge, the corner becomes
// (work right - 2 * width, ...) (0 - width when the menu is not narrower than the work area).
ScreenPoint PlacePopupMenu(ScreenPoint point, int width, int height, const ScreenRect& work_area);

// Top-left corner of the tray menu of `width` x `height` opened at `point` (the cursor on the tray
// icon): normally (x + 6, y - 6). When it would reach below the work area it opens above the
// point instead, ending at y; when it would pass the work area's right edge it is moved left to
// end there. Near the bottom-right corner this gives (work right - width + 6, y - height - 6).
// A menu not smaller than the work area in a direction starts at 0 in that direction (plus the
// same 6-pixel offsets).
ScreenPoint PlaceTrayMenu(ScreenPoint point, int width, int height, const ScreenRect& work_area);

}  // namespace ui

#endif  // UI_MENU_PLACEMENT_H_
