#include "ui/shadow_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <tuple>
#include <vector>

namespace ui {
namespace {

// What the message and prompt boxes use.
ShadowParams DialogParams() {
  ShadowParams params;
  params.size = 4;
  params.x_shift = 0;
  params.y_shift = 0;
  params.color = *ParseShadowColor("#9E9D9D");
  return params;
}

int Alpha(std::uint32_t pixel) { return static_cast<int>(pixel >> 24); }

bool Everywhere(int, int) { return true; }

TEST(ShadowColorTest, ParsesHashAndSixHexDigits) {
  for (const auto& [text, red, green, blue] : {std::tuple{"#9E9D9D", 0x9E, 0x9D, 0x9D}, {"#0a1b2c", 0x0A, 0x1B, 0x2C}}) {
    const auto color = ParseShadowColor(text);
    ASSERT_TRUE(color.has_value()) << text;
    EXPECT_EQ(color->red, red) << text;
    EXPECT_EQ(color->green, green) << text;
    EXPECT_EQ(color->blue, blue) << text;
  }
  for (const char* bad : {"9E9D9D", "#9E9D9", "#9E9D9D0", "#9G9D9D", "", "#"}) {
    EXPECT_FALSE(ParseShadowColor(bad).has_value()) << bad;
  }
}

TEST(ShadowColorTest, PremultipliesEachChannelWithTruncation) {
  const ShadowColor grey = *ParseShadowColor("#9E9D9D");
  EXPECT_EQ(PremultipliedPixel(grey, 255), 0xFF9E9D9Du);
  // 158 * 150 / 255 = 92.9 and 157 * 150 / 255 = 92.4: both truncate to 0x5C.
  EXPECT_EQ(PremultipliedPixel(grey, 150), 0x965C5C5Cu);
  EXPECT_EQ(PremultipliedPixel(grey, 24), 0x180E0E0Eu);
  EXPECT_EQ(PremultipliedPixel(grey, 0), 0u);
  EXPECT_EQ(PremultipliedPixel(ShadowColor{0x10, 0x20, 0x30}, 255), 0xFF102030u);
}

TEST(ShadowKernelTest, DialogShadowHasElevenCellsAndNoSolidCore) {
  const ShadowParams params = DialogParams();
  EXPECT_EQ(ErosionPassCount(params), 1);
  const ShadowKernel kernel = MakeShadowKernel(params);
  ASSERT_EQ(kernel.side(), 11);
  ASSERT_EQ(kernel.cells.size(), 121u);
  EXPECT_EQ(kernel.core, 0);
  const int expected[] = {150, 125, 100, 75, 50, 24};
  for (int d = 0; d <= 5; ++d) {
    EXPECT_EQ(Alpha(kernel.at(5 + d, 5)), expected[d]) << "right, distance " << d;
    EXPECT_EQ(Alpha(kernel.at(5 - d, 5)), expected[d]) << "left, distance " << d;
    EXPECT_EQ(Alpha(kernel.at(5, 5 + d)), expected[d]) << "down, distance " << d;
    EXPECT_EQ(Alpha(kernel.at(5, 5 - d)), expected[d]) << "up, distance " << d;
  }
  EXPECT_EQ(kernel.at(5, 5), PremultipliedPixel(params.color, 150));
  EXPECT_EQ(kernel.at(8, 5), PremultipliedPixel(params.color, 75));
  for (int corner : {0, 10}) {
    EXPECT_EQ(kernel.at(corner, 0), 0u);
    EXPECT_EQ(kernel.at(corner, 10), 0u);
  }
  EXPECT_EQ(Alpha(kernel.at(5 + 3, 5 + 4)), 24);  // a diagonal cell exactly at the radius
  EXPECT_EQ(kernel.at(1, 1), 0u);                 // just beyond it
  int full = 0;
  for (std::uint32_t cell : kernel.cells) full += Alpha(cell) == 150;
  EXPECT_EQ(full, 1);
}

TEST(ShadowKernelTest, SizeBeyondSharpnessGivesASolidCoreThatFillsTheInnerPartOfTheShadow) {
  ShadowParams params;
  params.size = 8;
  params.sharpness = 2;
  EXPECT_EQ(ErosionPassCount(params), 0);
  const ShadowKernel kernel = MakeShadowKernel(params);
  ASSERT_EQ(kernel.side(), 17);
  EXPECT_EQ(kernel.core, 6);
  const int expected[] = {150, 150, 150, 150, 150, 150, 150, 100, 50};
  for (int d = 0; d <= 8; ++d) EXPECT_EQ(Alpha(kernel.at(8 + d, 8)), expected[d]) << d;

  params.x_shift = 0;
  params.y_shift = 0;
  const ShadowBitmap bitmap = MakeShadow(30, 20, Everywhere, params);
  const int profile[] = {50, 100, 150, 150, 150, 150, 150, 150};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(Alpha(bitmap.at(x, 18)), profile[x]) << x;
  EXPECT_EQ(bitmap.at(8, 18), 0u);
}

TEST(ShadowBitmapTest, WindowWithoutRegionOrOfDegenerateSizeCastsNoShadow) {
  for (const auto& inside : {std::function<bool(int, int)>(),
                             std::function<bool(int, int)>([](int, int) { return false; })}) {
    const ShadowBitmap bitmap = MakeShadow(40, 30, inside, DialogParams());
    EXPECT_EQ(bitmap.width, 48);
    EXPECT_EQ(bitmap.height, 38);
    ASSERT_EQ(bitmap.pixels.size(), 48u * 38u);
    for (std::uint32_t pixel : bitmap.pixels) ASSERT_EQ(pixel, 0u);
  }
  ShadowParams params = DialogParams();
  params.size = -30;
  EXPECT_TRUE(MakeShadow(40, 30, Everywhere, params).pixels.empty());
  EXPECT_TRUE(MakeShadow(-1, 30, Everywhere, DialogParams()).pixels.empty());
  const ShadowBitmap flat = MakeShadow(0, 0, Everywhere, DialogParams());
  EXPECT_EQ(flat.width, 8);
  for (std::uint32_t pixel : flat.pixels) EXPECT_EQ(pixel, 0u);
}

TEST(ShadowBitmapTest, RectangularDialogHasAHoleUnderItAndAFadingRing) {
  const int w = 40, h = 30;
  const ShadowParams params = DialogParams();
  const ShadowBitmap bitmap = MakeShadow(w, h, Everywhere, params);
  ASSERT_EQ(bitmap.width, w + 8);
  ASSERT_EQ(bitmap.height, h + 8);
  for (int y = 4; y < h + 4; ++y) {
    for (int x = 4; x < w + 4; ++x) ASSERT_EQ(bitmap.at(x, y), 0u) << x << "," << y;
  }
  // Across the middle, from the outside in, in every direction.
  const int fade[] = {24, 50, 75, 100};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bitmap.at(i, h / 2), PremultipliedPixel(params.color, static_cast<std::uint8_t>(fade[i])));
    EXPECT_EQ(Alpha(bitmap.at(w + 7 - i, h / 2)), fade[i]);
    EXPECT_EQ(Alpha(bitmap.at(w / 2, i)), fade[i]);
    EXPECT_EQ(Alpha(bitmap.at(w / 2, h + 7 - i)), fade[i]);
  }
  // The whole ring is shaded except its rounded-off corners.
  for (int x = 4; x < w + 4; ++x) {
    EXPECT_GT(Alpha(bitmap.at(x, 3)), 0) << x;
    EXPECT_GT(Alpha(bitmap.at(x, h + 4)), 0) << x;
  }
  EXPECT_EQ(bitmap.at(0, 0), 0u);
  EXPECT_EQ(bitmap.at(w + 7, h + 7), 0u);
}

TEST(ShadowBitmapTest, ShiftedShadowShowsOnTheShiftedSidesAndIsStoredBottomUp) {
  const int w = 40, h = 30;
  ShadowParams params;  // size 0, shifted 5 right and 5 down
  const ShadowBitmap bitmap = MakeShadow(w, h, Everywhere, params);
  ASSERT_EQ(bitmap.width, w);
  ASSERT_EQ(bitmap.height, h);
  // The window covers the picture up to 5 pixels from its right and bottom edges.
  EXPECT_EQ(bitmap.at(0, 0), 0u);
  EXPECT_EQ(bitmap.at(w - 6, h - 6), 0u);
  EXPECT_EQ(Alpha(bitmap.at(w - 5, h / 2)), 125);
  EXPECT_EQ(Alpha(bitmap.at(w / 2, h - 5)), 125);
  EXPECT_EQ(Alpha(bitmap.at(w / 2, h - 1)), 24);
  // In memory the bottom picture row comes first.
  const auto memory_row_has_shadow = [&](const std::vector<std::uint32_t>& pixels, int row) {
    for (int x = 0; x < w; ++x) {
      if (pixels[static_cast<std::size_t>(row * w + x)] != 0) return true;
    }
    return false;
  };
  EXPECT_TRUE(memory_row_has_shadow(bitmap.pixels, 0));
  EXPECT_FALSE(memory_row_has_shadow(bitmap.pixels, h - 1));
  const std::vector<std::uint32_t> top_down = TopDownPixels(bitmap);
  EXPECT_FALSE(memory_row_has_shadow(top_down, 0));
  EXPECT_TRUE(memory_row_has_shadow(top_down, h - 1));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) ASSERT_EQ(top_down[static_cast<std::size_t>(y * w + x)], bitmap.at(x, y));
  }

  // Shifted up and left it shows on those sides.
  params.x_shift = -5;
  params.y_shift = -5;
  const ShadowBitmap up_left = MakeShadow(w, h, Everywhere, params);
  EXPECT_EQ(Alpha(up_left.at(4, h / 2)), 125);
  EXPECT_EQ(Alpha(up_left.at(w / 2, 4)), 125);
  EXPECT_EQ(Alpha(up_left.at(w / 2, 0)), 24);
  for (int y = 5; y < h; ++y) {
    for (int x = 5; x < w; ++x) ASSERT_EQ(up_left.at(x, y), 0u) << x << "," << y;
  }
}

TEST(ShadowBitmapTest, ShapedWindowIsCutOutAlongItsOutline) {
  const int w = 40, h = 30;
  // A window whose top-left 3 x 3 corner is cut away.
  const auto inside = [](int x, int y) { return x >= 3 || y >= 3; };
  const ShadowBitmap bitmap = MakeShadow(w, h, inside, DialogParams());
  EXPECT_GT(Alpha(bitmap.at(4, 4)), 0);  // under the missing corner the shadow shows
  EXPECT_EQ(bitmap.at(7, 4), 0u);        // under the window it does not
  EXPECT_EQ(bitmap.at(4, 7), 0u);

  // Shifted down by 2 the hole follows the window: picture row 6 lies under window row 4.
  ShadowParams lower = DialogParams();
  lower.y_shift = 2;
  const ShadowBitmap shifted = MakeShadow(w, h, inside, lower);
  EXPECT_GT(Alpha(shifted.at(5, 4)), 0);  // under window row 2, where the corner is cut
  EXPECT_EQ(shifted.at(5, 5), 0u);
  EXPECT_EQ(shifted.at(5, 6), 0u);
}

TEST(ShapeRowSpansTest, FirstAndOnePastLastPointOfEachRow) {
  // Row 0: a gap in the middle; row 1: nothing; row 2: a single point at the right edge.
  const auto inside = [](int x, int y) {
    return (y == 0 && (x == 1 || x == 5)) || (y == 2 && x == 9);
  };
  const std::vector<RowSpan> rows = ShapeRowSpans(10, 3, inside);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].start, 1);
  EXPECT_EQ(rows[0].end, 6);
  EXPECT_TRUE(rows[1].empty());
  EXPECT_EQ(rows[1].start, 10);
  EXPECT_EQ(rows[1].end, 0);
  EXPECT_EQ(rows[2].start, 9);
  EXPECT_EQ(rows[2].end, 10);
}

}  // namespace
}  // namespace ui
