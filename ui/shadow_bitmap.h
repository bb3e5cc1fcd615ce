#ifndef UI_SHADOW_BITMAP_H_
#define UI_SHADOW_BITMAP_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The picture of a window's soft drop shadow, computed from the window's shape. Pure functions
// without Qt or any other state: they may run on any thread at once. Pixels are 32-bit
// premultiplied ARGB (alpha in the top byte, then red, green, blue), which is the layout of
// QImage::Format_ARGB32_Premultiplied.
namespace ui {

struct ShadowColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

// "#RRGGBB" with hexadecimal digits of either case; nothing else is accepted.
std::optional<ShadowColor> ParseShadowColor(const std::string& text);

// `color` with `alpha`: each channel becomes channel * alpha / 255 (integer division).
std::uint32_t PremultipliedPixel(ShadowColor color, std::uint8_t alpha);

struct ShadowParams {
  std::uint8_t darkness = 150;  // opacity of the shadow's core
  std::uint8_t sharpness = 5;   // width of the blurred edge, pixels
  std::int8_t size = 0;         // how far the shadow reaches past the window on every side
  std::int8_t x_shift = 5;
  std::int8_t y_shift = 5;
  ShadowColor color;
};

// One row of a shape: the pixels start <= x < end belong to it. A row with start >= end is
// empty; a window row without any point is {width, 0}.
struct RowSpan {
  int start = 0;
  int end = 0;
  bool empty() const { return start >= end; }
};

// Per-row spans of a window of `width` x `height` whose shape is given by `inside(x, y)`: the
// first point of each row and one past its last. Points between them count as inside (the
// shape is taken to have no holes). An empty `inside` means a window without any region, so
// every row is empty. REQUIRES: width, height >= 0.
std::vector<RowSpan> ShapeRowSpans(int width, int height,
                                   const std::function<bool(int x, int y)>& inside);

// How often the shape is shrunk by one pixel before the blurred edge is drawn around it:
// sharpness - size, or 0 when that is not positive.
int ErosionPassCount(const ShadowParams& params);

// The square stamp that draws the blurred edge: side 2 * radius + 1, radius the larger of size
// and sharpness; cells nearer to the centre than `core` have the full darkness, farther cells
// fade linearly over sharpness + 1 pixels, cells beyond `radius` are transparent.
struct ShadowKernel {
  int radius = 0;
  int core = 0;
  std::vector<std::uint32_t> cells;  // row by row, side() * side() premultiplied pixels

  int side() const { return 2 * radius + 1; }
  std::uint32_t at(int x, int y) const {
    return cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(side()) +
                 static_cast<std::size_t>(x)];
  }
};
ShadowKernel MakeShadowKernel(const ShadowParams& params);

// A shadow picture. `pixels` holds `height` rows of `width` pixels, stored bottom-up as in a
// Windows device-independent bitmap: the top row of the picture is the last row in memory.
struct ShadowBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  // The pixel at column x of picture row y (y = 0 at the top).
  std::uint32_t at(int x, int y) const {
    const auto row = static_cast<std::size_t>(height - 1 - y);
    return pixels[row * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

// The shadow of a window of `width` x `height` (its outer size) with the shape `window_rows`
// (one span per window row, from ShapeRowSpans; missing rows count as empty). The picture is
// (width + 2 * size) x (height + 2 * size) and is meant to sit at the window's position moved by
// (x_shift - size, y_shift - size). Under the window itself it is transparent, so the shadow
// never shows through a translucent or shaped window; a shape without any point gives a fully
// transparent picture. A non-positive picture size gives an empty bitmap.
// REQUIRES: width, height >= 0.
ShadowBitmap MakeShadow(int width, int height, const std::vector<RowSpan>& window_rows,
                        const ShadowParams& params);
// The same with the shape given as a point test, as ShapeRowSpans takes it.
ShadowBitmap MakeShadow(int width, int height, const std::function<bool(int x, int y)>& inside,
                        const ShadowParams& params);

// The pixels of `bitmap` with the top row first, as QImage expects them.
std::vector<std::uint32_t> TopDownPixels(const ShadowBitmap& bitmap);

}  // namespace ui

#endif  // UI_SHADOW_BITMAP_H_
