#include "ui/shadow_bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

namespace {

// Larger windows do not exist; the limit keeps every coordinate sum far from int overflow.
constexpr int kMaxSide = 1 << 20;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint8_t Scale(std::uint8_t channel, std::uint8_t alpha) {
  return static_cast<std::uint8_t>(static_cast<unsigned>(channel) * alpha / 255u);
}

// Writes into a bitmap by picture coordinates; rows are stored bottom-up.
class BottomUpCanvas {
 public:
  explicit BottomUpCanvas(ShadowBitmap* bitmap) : bitmap_(bitmap) {}

  bool Contains(int x, int y) const {
    return x >= 0 && x < bitmap_->width && y >= 0 && y < bitmap_->height;
  }
  std::uint32_t& At(int x, int y) {
    const auto row = static_cast<std::size_t>(bitmap_->height - 1 - y);
    return bitmap_->pixels[row * static_cast<std::size_t>(bitmap_->width) +
                           static_cast<std::size_t>(x)];
  }
  // Sets columns [from, to) of row y, clipped to the bitmap.
  void SetRun(int y, int from, int to, std::uint32_t pixel) {
    if (y < 0 || y >= bitmap_->height) return;
    for (int x = std::max(from, 0); x < std::min(to, bitmap_->width); ++x) At(x, y) = pixel;
  }
  // Lays the kernel centred on (cx, cy), keeping the larger value of each pixel.
  void Stamp(const ShadowKernel& kernel, int cx, int cy) {
    const int side = kernel.side();
    for (int ky = 0; ky < side; ++ky) {
      const int y = cy - kernel.radius + ky;
      for (int kx = 0; kx < side; ++kx) {
        const int x = cx - kernel.radius + kx;
        if (!Contains(x, y)) continue;
        std::uint32_t& pixel = At(x, y);
        pixel = std::max(pixel, kernel.at(kx, ky));
      }
    }
  }

 private:
  ShadowBitmap* bitmap_;
};

// One pass of shrinking: each row keeps only what it shares with both neighbours, less a pixel
// at either end. The first and last rows are the empty guards and stay as they are.
std::vector<RowSpan> Erode(const std::vector<RowSpan>& rows) {
  std::vector<RowSpan> out = rows;
  for (std::size_t j = 1; j + 1 < rows.size(); ++j) {
    out[j].start = 1 + std::max({rows[j - 1].start, rows[j].start, rows[j + 1].start});
    out[j].end = std::min({rows[j - 1].end, rows[j].end, rows[j + 1].end}) - 1;
  }
  return out;
}

}  // namespace

std::optional<ShadowColor> ParseShadowColor(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  int values[3];
  for (int i = 0; i < 3; ++i) {
    const int high = HexDigit(text[static_cast<std::size_t>(1 + 2 * i)]);
    const int low = HexDigit(text[static_cast<std::size_t>(2 + 2 * i)]);
    if (high < 0 || low < 0) return std::nullopt;
    values[i] = high * 16 + low;
  }
  return ShadowColor{static_cast<std::uint8_t>(values[0]), static_cast<std::uint8_t>(values[1]),
                     static_cast<std::uint8_t>(values[2])};
}

std::uint32_t PremultipliedPixel(ShadowColor color, std::uint8_t alpha) {
  return static_cast<std::uint32_t>(alpha) << 24 |
         static_cast<std::uint32_t>(Scale(color.red, alpha)) << 16 |
         static_cast<std::uint32_t>(Scale(color.green, alpha)) << 8 |
         static_cast<std::uint32_t>(Scale(color.blue, alpha));
}

std::vector<RowSpan> ShapeRowSpans(int width, int height,
                                   const std::function<bool(int x, int y)>& inside) {
  std::vector<RowSpan> rows(static_cast<std::size_t>(std::max(height, 0)), RowSpan{width, 0});
  if (!inside) return rows;
  for (int y = 0; y < height; ++y) {
    RowSpan& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      if (inside(x, y)) {
        row.start = x;
        break;
      }
    }
    if (row.start >= width) continue;
    for (int x = width - 1; x >= row.start; --x) {
      if (inside(x, y)) {
        row.end = x + 1;
        break;
      }
    }
  }
  return rows;
}

int ErosionPassCount(const ShadowParams& params) {
  return std::max(params.sharpness - params.size, 0);
}

ShadowKernel MakeShadowKernel(const ShadowParams& params) {
  const int size = params.size;
  const int sharpness = params.sharpness;
  ShadowKernel kernel;
  kernel.radius = std::max(size, sharpness);
  kernel.core = size > sharpness ? size - sharpness : 0;
  const int side = kernel.side();
  kernel.cells.assign(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double dx = x - kernel.radius;
      const double dy = y - kernel.radius;
      const double distance = std::sqrt(dx * dx + dy * dy);
      if (distance > kernel.radius) continue;  // stays transparent
      std::uint8_t alpha = params.darkness;
      if (distance >= kernel.core) {
        // Truncation, not rounding: the edge must fade exactly as the original picture did.
        const double fade = (1 - (distance - kernel.core) / (sharpness + 1)) * params.darkness;
        alpha = static_cast<std::uint8_t>(std::clamp(static_cast<int>(fade), 0, 255));
      }
      kernel.cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(side) +
                   static_cast<std::size_t>(x)] = PremultipliedPixel(params.color, alpha);
    }
  }
  return kernel;
}

ShadowBitmap MakeShadow(int width, int height, const std::vector<RowSpan>& window_rows,
                        const ShadowParams& params) {
  ShadowBitmap bitmap;
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return bitmap;
  const int size = params.size;
  const int shadow_width = width + 2 * size;
  const int shadow_height = height + 2 * size;
  if (shadow_width <= 0 || shadow_height <= 0) return bitmap;
  bitmap.width = shadow_width;
  bitmap.height = shadow_height;
  bitmap.pixels.assign(
      static_cast<std::size_t>(shadow_width) * static_cast<std::size_t>(shadow_height), 0);

  const RowSpan empty_row{width, 0};
  const auto window_row = [&](int y) {
    const auto index = static_cast<std::size_t>(y);
    return index < window_rows.size() ? window_rows[index] : empty_row;
  };

  // Working table in shadow coordinates: table[i + 1] is shadow row i, with an empty guard row
  // at either end so that every row has two neighbours.
  const int table_height = std::max(height, shadow_height) + 2;
  std::vector<RowSpan> table(static_cast<std::size_t>(table_height), empty_row);
  const int first_window_row = 1 + std::max(size, 0);
  for (int y = 0; y < height; ++y) {
    const RowSpan row = window_row(y);
    table[static_cast<std::size_t>(first_window_row + y)] = {row.start + size, row.end + size};
  }
  for (int pass = ErosionPassCount(params); pass > 0; --pass) table = Erode(table);

  const ShadowKernel kernel = MakeShadowKernel(params);
  const int k = kernel.radius;
  BottomUpCanvas canvas(&bitmap);

  // Blurred border: the kernel goes only where a row sticks out past a neighbour, which along
  // the sides means one stamp per row end.
  for (int i = k; i <= shadow_height - k - 1; ++i) {
    const RowSpan& row = table[static_cast<std::size_t>(i + 1)];
    if (row.empty()) continue;
    const RowSpan& above = table[static_cast<std::size_t>(i)];
    const RowSpan& below = table[static_cast<std::size_t>(i + 2)];
    int x = row.start;
    const int left_limit = std::min(row.end, std::max(above.start, below.start) + 1);
    for (; x < left_limit; ++x) canvas.Stamp(kernel, x, i);
    x = std::max(x, std::min(above.end, below.end) - 1);
    for (; x < row.end; ++x) canvas.Stamp(kernel, x, i);
  }

  // Solid inside, with a transparent hole exactly under the window.
  const std::uint32_t core = PremultipliedPixel(params.color, params.darkness);
  const int first = std::min(k, std::max(size - params.y_shift, 0));
  const int last = std::max(shadow_height - k, std::min(height + size - params.y_shift,
                                                        height + 2 * size));
  for (int i = first; i < last; ++i) {
    const RowSpan& row = table[static_cast<std::size_t>(i + 1)];
    const int r = i - size + params.y_shift;
    if (r < 0 || r >= height) {
      canvas.SetRun(i, row.start, row.end, core);
      continue;
    }
    const RowSpan window = window_row(r);
    const int hole_start = window.start + size - params.x_shift;
    const int hole_end = window.end + size - params.x_shift;
    canvas.SetRun(i, row.start, hole_start, core);
    canvas.SetRun(i, hole_start, hole_end, 0);
    canvas.SetRun(i, hole_end, row.end, core);
  }
  return bitmap;
}

ShadowBitmap MakeShadow(int width, int height, const std::function<bool(int x, int y)>& inside,
                        const ShadowParams& params) {
  return MakeShadow(width, height, ShapeRowSpans(width, height, inside), params);
}

std::vector<std::uint32_t> TopDownPixels(const ShadowBitmap& bitmap) {
  std::vector<std::uint32_t> out(bitmap.pixels.size());
  const auto width = static_cast<std::size_t>(bitmap.width);
  for (int y = 0; y < bitmap.height; ++y) {
    const auto from = bitmap.pixels.begin() +
                      static_cast<std::ptrdiff_t>(static_cast<std::size_t>(bitmap.height - 1 - y) *
                                                  width);
    std::copy(from, from + static_cast<std::ptrdiff_t>(width),
              out.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width));
  }
  return out;
}

}  // namespace ui
