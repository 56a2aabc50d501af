#pragma once
// RasterSurface: an off-screen picture of 32-bit pixels (0xFFRRGGBB, the
// layout QImage::Format_RGB32 wraps without a copy) with the few drawing
// operations the tablature, the buttons and the export need: fills,
// one-pixel lines that leave their end point unpainted, single-line text in
// a box, and block copies.
//
// Thread-safety: a surface belongs to one thread at a time.

#include <cstdint>
#include <string_view>
#include <vector>

#include "render/canvas.h"

namespace kumoito {

class GlyphSource;

class RasterSurface final : public Canvas {
 public:
  // A white surface. Text uses glyphs, which default to the process-wide
  // font (DefaultGlyphSource()).
  RasterSurface(int width, int height, GlyphSource* glyphs = nullptr);
  // A surface of one colour: a large page filled once, not twice.
  static RasterSurface Filled(int width, int height, Color fill, GlyphSource* glyphs = nullptr);
  // Makes it a white surface of the new size in the storage it has when that
  // is large enough: a picture drawn at changing sizes (zoom steps) is not
  // allocated, and its fresh pages faulted in, at every change.
  void Reshape(int width, int height);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // Pixel as 0x00RRGGBB; outside the surface gives 0.
  Color PixelAt(int x, int y) const;
  void SetPixel(int x, int y, Color c);
  const std::uint32_t* Bits() const { return m_pixels.data(); }
  std::uint32_t* Bits() { return m_pixels.data(); }
  int BytesPerLine() const { return 4 * m_width; }

  void FillRect(const Rect& r, Color c) override;

  // One-pixel lines in the pen colour; LineTo paints from the current
  // position up to, but not including, the end point, then moves there.
  void SetPen(Color c) override { m_pen = c; }
  Color Pen() const override { return m_pen; }
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;

  void SetTextColor(Color c) override { m_textColor = c; }
  void SetBackgroundColor(Color c) override { m_backgroundColor = c; }
  void SetBackgroundMode(BackgroundMode m) override { m_backgroundMode = m; }
  // Selects a font and hands back the one selected before.
  Font SelectFont(Font f) override;
  Font CurrentFont() const { return m_font; }
  GlyphSource& Glyphs() const { return *m_glyphs; }

  using Canvas::DrawTextInBox;
  void DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) override;
  // Pixel width of the text in the current font.
  int MeasureText(std::string_view cp932) const;

  // Copies w x h pixels from (sx, sy) of src to (dx, dy), clipped to both.
  void BitBlt(int dx, int dy, int w, int h, const RasterSurface& src, int sx, int sy);

 private:
  int m_width;
  int m_height;
  std::vector<std::uint32_t> m_pixels;
  GlyphSource* m_glyphs;
  Color m_pen = kBlack;
  Color m_textColor = kBlack;
  Color m_backgroundColor = kWhite;
  BackgroundMode m_backgroundMode = BackgroundMode::kOpaque;
  Font m_font = kDefaultFont;
  int m_penX = 0;
  int m_penY = 0;
};

}  // namespace kumoito
