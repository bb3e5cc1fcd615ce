#include "ui/menu_placement.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(MenuPlacementTest, PopupAndTrayMenusStayInTheWorkArea) {
  constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};  // 1920 x 1080 with a 40-pixel panel at the bottom
  constexpr ScreenRect kBelowATopPanel{0, 30, 1920, 1070};
  constexpr ScreenRect kRightMonitor{1920, 0, 3840, 1080};
  const struct {
    const char* what;
    bool tray;
    ScreenPoint point;
    int width, height;
    ScreenRect area;
    int x, y;
  } cases[] = {
      {"popup opens left of the point", false, {800, 400}, 120, 80, kWorkArea, 680, 400},
      {"popup ending on the bottom is inside", false, {800, 960}, 120, 80, kWorkArea, 680, 960},
      {"popup moves up to end at the bottom", false, {800, 1000}, 120, 80, kWorkArea, 680, 960},
      {"popup on a lower work area", false, {800, 1050}, 120, 80, kBelowATopPanel, 680, 990},
      {"popup taller than the area starts at the top", false, {800, 500}, 120, 1040, kBelowATopPanel, 680, 0},
      {"popup one pixel shorter", false, {800, 500}, 120, 1039, kBelowATopPanel, 680, 31},
      // 1850 + 120 passes 1920: the corner becomes 1920 - 120, then the menu opens left of that.
      {"popup past the right edge", false, {1850, 400}, 120, 80, kWorkArea, 1680, 400},
      {"popup just inside the right edge", false, {1800, 400}, 120, 80, kWorkArea, 1680, 400},
      {"popup as wide as the screen", false, {100, 400}, 1920, 80, kWorkArea, -1920, 400},
      {"popup on a second monitor", false, {3000, 500}, 120, 80, kRightMonitor, 2880, 500},
      {"popup in its bottom right corner", false, {3800, 1050}, 120, 80, kRightMonitor, 3600, 1000},
      {"tray menu offset by six pixels", true, {500, 300}, 160, 200, kWorkArea, 506, 294},
      // (work right - w + 6, y - h - 6)
      {"tray menu near the corner", true, {1900, 1030}, 160, 200, kWorkArea, 1920 - 160 + 6, 1030 - 200 - 6},
      {"tray menu near the bottom", true, {500, 1030}, 160, 200, kWorkArea, 506, 824},
      {"tray menu near the right", true, {1900, 300}, 160, 200, kWorkArea, 1766, 294},
      {"tray menu touching the edges", true, {1760, 840}, 160, 200, kWorkArea, 1766, 834},
      {"tray menu as tall as the area", true, {500, 1030}, 160, 1040, kWorkArea, 506, -6},
      {"tray menu as wide as the area", true, {1900, 300}, 1920, 200, kWorkArea, 6, 294},
  };
  for (const auto& c : cases) {
    const ScreenPoint p = c.tray ? PlaceTrayMenu(c.point, c.width, c.height, c.area)
                                 : PlacePopupMenu(c.point, c.width, c.height, c.area);
    EXPECT_EQ(p.x, c.x) << c.what;
    EXPECT_EQ(p.y, c.y) << c.what;
  }
}

}  // namespace
}  // namespace ui
