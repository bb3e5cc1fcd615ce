#include "ui/menu_placement.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

// A 1920 x 1080 screen with a 40-pixel panel at the bottom.
constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};

void ExpectAt(ScreenPoint actual, int x, int y) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
}

TEST(PopupMenuPlacementTest, OpensLeftOfThePointAwayFromTheEdges) {
  ExpectAt(PlacePopupMenu({800, 400}, 120, 80, kWorkArea), 680, 400);
  // Ending exactly on the work area's bottom is still inside.
  ExpectAt(PlacePopupMenu({800, 960}, 120, 80, kWorkArea), 680, 960);
}

TEST(PopupMenuPlacementTest, MovesUpToEndAtTheWorkAreaBottom) {
  ExpectAt(PlacePopupMenu({800, 1000}, 120, 80, kWorkArea), 680, 960);
  // On a monitor whose work area starts lower down, its own bottom counts.
  ExpectAt(PlacePopupMenu({800, 1050}, 120, 80, ScreenRect{0, 30, 1920, 1070}), 680, 990);
}

TEST(PopupMenuPlacementTest, MenuTallerThanTheWorkAreaStartsAtTheTop) {
  const ScreenRect below_a_top_panel{0, 30, 1920, 1070};
  ExpectAt(PlacePopupMenu({800, 500}, 120, 1040, below_a_top_panel), 680, 0);
  ExpectAt(PlacePopupMenu({800, 500}, 120, 1039, below_a_top_panel), 680, 31);
}

TEST(PopupMenuPlacementTest, RightEdgeCorrectionIsAppliedBeforeOpeningLeft) {
  // 1850 + 120 passes 1920: the corner becomes 1920 - 120, then the menu opens left of that.
  ExpectAt(PlacePopupMenu({1850, 400}, 120, 80, kWorkArea), 1680, 400);
  ExpectAt(PlacePopupMenu({1800, 400}, 120, 80, kWorkArea), 1680, 400);
  ExpectAt(PlacePopupMenu({100, 400}, 1920, 80, kWorkArea), -1920, 400);
}

TEST(PopupMenuPlacementTest, SecondMonitorToTheRight) {
  const ScreenRect right_monitor{1920, 0, 3840, 1080};
  ExpectAt(PlacePopupMenu({3000, 500}, 120, 80, right_monitor), 2880, 500);
  ExpectAt(PlacePopupMenu({3800, 1050}, 120, 80, right_monitor), 3600, 1000);
}

TEST(TrayMenuPlacementTest, AwayFromTheEdgesItIsOffsetBySixPixels) {
  ExpectAt(PlaceTrayMenu({500, 300}, 160, 200, kWorkArea), 506, 294);
}

TEST(TrayMenuPlacementTest, NearTheBottomRightCornerItOpensAboveAndLeft) {
  // (work right - w + 6, y - h - 6)
  ExpectAt(PlaceTrayMenu({1900, 1030}, 160, 200, kWorkArea), 1920 - 160 + 6, 1030 - 200 - 6);
}

TEST(TrayMenuPlacementTest, EachEdgeIsCorrectedOnItsOwn) {
  ExpectAt(PlaceTrayMenu({500, 1030}, 160, 200, kWorkArea), 506, 824);
  ExpectAt(PlaceTrayMenu({1900, 300}, 160, 200, kWorkArea), 1766, 294);
  // Touching the edges exactly needs no correction.
  ExpectAt(PlaceTrayMenu({1760, 840}, 160, 200, kWorkArea), 1766, 834);
}

TEST(TrayMenuPlacementTest, MenuNotSmallerThanTheWorkAreaStartsAtZero) {
  ExpectAt(PlaceTrayMenu({500, 1030}, 160, 1040, kWorkArea), 506, -6);
  ExpectAt(PlaceTrayMenu({1900, 300}, 1920, 200, kWorkArea), 6, 294);
}

}  // namespace
}  // namespace ui
