#pragma once
// Canvas: the few drawing operations the score pictures are made of — fills,
// one-pixel pen lines that leave their end point unpainted, and single-line
// CP932 text in a box — so that the same drawing code paints the raster
// cells of the window and the vector pages of PDF and SVG. Coordinates are
// pixels of the picture being drawn; a vector canvas maps them to its page.
//
// Thread-safety: a canvas belongs to one thread at a time.

#include <cstdint>
#include <string_view>

namespace kumoito {

using Color = std::uint32_t;  // 0x00RRGGBB
constexpr Color Rgb(int r, int g, int b) {
  return (static_cast<Color>(r & 0xFF) << 16) | (static_cast<Color>(g & 0xFF) << 8) |
         static_cast<Color>(b & 0xFF);
}
inline constexpr Color kWhite = Rgb(255, 255, 255);
inline constexpr Color kBlack = Rgb(0, 0, 0);

// Left/top inclusive, right/bottom exclusive, as window rectangles are.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// A font is a face (the glyph source) at a cell height in pixels.
struct Font {
  int height = 12;
  bool operator==(const Font&) const = default;
};
inline constexpr Font kDefaultFont{12};

enum class BackgroundMode { kOpaque, kTransparent };

// Where one line of text sits in the height of its box.
enum class VerticalAlign { kCenter, kTop };

// The pixels of a one-pixel line from (x0, y0) to (x1, y1), end point left
// out as window systems draw polylines, one plot(x, y) each, in the order
// Bresenham's stepping meets them.
template <typename Plot>
void StepLine(int x0, int y0, int x1, int y1, Plot plot) {
  const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
  const int dy = y1 > y0 ? y0 - y1 : y1 - y0;
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (x0 != x1 || y0 != y1) {
    plot(x0, y0);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void FillRect(const Rect& r, Color c) = 0;

  // One-pixel lines in the pen colour; LineTo paints from the current
  // position up to, but not including, the end point, then moves there.
  virtual void SetPen(Color c) = 0;
  virtual Color Pen() const = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;

  virtual void SetTextColor(Color c) = 0;
  virtual void SetBackgroundColor(Color c) = 0;
  virtual void SetBackgroundMode(BackgroundMode m) = 0;
  // Selects a font and hands back the one selected before.
  virtual Font SelectFont(Font f) = 0;

  // Draws CP932 text on one line, left-aligned and vertically centred in box
  // (or at its top), clipped to box. With an opaque background the text's own
  // cells (advance x font height) are filled with the background colour first.
  void DrawTextInBox(std::string_view cp932, const Rect& box) {
    DrawTextInBox(cp932, box, VerticalAlign::kCenter);
  }
  virtual void DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) = 0;
};

}  // namespace kumoito
