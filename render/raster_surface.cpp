#include "render/raster_surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "render/glyph_source.h"

namespace kumoito {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// Lays text of colour c with the coverages over n pixels: each channel
// becomes round((dst * (255 - a) + c * a) / 255). Red and blue are mixed
// in the two 16-bit halves of one word, green (with the alpha byte) in
// another; a half never exceeds 255 * 255 + 382 < 2^16, so no carry crosses
// into its neighbour, and (t + (t >> 8)) >> 8 with t = v + 128 is that
// rounded quotient for every v up to 255 * 255.
void BlendRow(std::uint32_t* dst, const std::uint8_t* coverage, int n, Color c) {
  const std::uint32_t colour = kOpaque | c;
  const std::uint32_t rbText = c & 0x00FF00FFu;
  const std::uint32_t gText = (c >> 8) & 0xFFu;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t a = coverage[i];
    if (a == 0) {
      continue;
    }
    if (a == 255) {
      dst[i] = colour;
      continue;
    }
    const std::uint32_t d = dst[i];
    std::uint32_t rb = (d & 0x00FF00FFu) * (255 - a) + rbText * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t g = ((d >> 8) & 0xFFu) * (255 - a) + gText * a + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    dst[i] = kOpaque | rb | (g << 8);
  }
}

}  // namespace

RasterSurface::RasterSurface(int width, int height, GlyphSource* glyphs)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
               kOpaque | kWhite),
      m_glyphs(glyphs != nullptr ? glyphs : &DefaultGlyphSource()) {}

void RasterSurface::Reshape(int width, int height) {
  m_width = std::max(width, 0);
  m_height = std::max(height, 0);
  m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
                  kOpaque | kWhite);
}

RasterSurface RasterSurface::Filled(int width, int height, Color fill, GlyphSource* glyphs) {
  RasterSurface surface(0, 0, glyphs);
  surface.m_width = std::max(width, 0);
  surface.m_height = std::max(height, 0);
  surface.m_pixels.assign(
      static_cast<std::size_t>(surface.m_width) * static_cast<std::size_t>(surface.m_height),
      kOpaque | fill);
  return surface;
}

Color RasterSurface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
    return 0;
  }
  return m_pixels[static_cast<std::size_t>(y) * m_width + x] & 0x00FFFFFFu;
}

void RasterSurface::SetPixel(int x, int y, Color c) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
    return;
  }
  m_pixels[static_cast<std::size_t>(y) * m_width + x] = kOpaque | c;
}

void RasterSurface::FillRect(const Rect& r, Color c) {
  const Rect clip = Intersect(r, Rect{0, 0, m_width, m_height});
  if (clip.Empty()) {
    return;
  }
  const std::uint32_t pixel = kOpaque | c;
  std::uint32_t* first = &m_pixels[static_cast<std::size_t>(clip.top) * m_width + clip.left];
  const auto rowLength = static_cast<std::size_t>(clip.right - clip.left);
  // A whole-width box (a cell cleared for drawing) is one run of memory; a
  // colour of four equal bytes (white) is the C library's memset.
  const bool wholeRows = clip.left == 0 && clip.right == m_width;
  const std::size_t run =
      wholeRows ? rowLength * static_cast<std::size_t>(clip.Height()) : rowLength;
  const int runs = wholeRows ? 1 : clip.Height();
  const bool bytewise = (pixel & 0xFF) * 0x01010101u == pixel;
  for (int i = 0; i < runs; ++i) {
    std::uint32_t* at = first + static_cast<std::size_t>(i) * m_width;
    if (bytewise) {
      std::memset(at, static_cast<int>(pixel & 0xFF), run * sizeof(std::uint32_t));
    } else {
      std::fill(at, at + run, pixel);
    }
  }
}

void RasterSurface::MoveTo(int x, int y) {
  m_penX = x;
  m_penY = y;
}

void RasterSurface::LineTo(int x, int y) {
  // Bresenham from the pen position; the end point is left for the next
  // segment, as window systems draw polylines.
  const int x0 = m_penX;
  const int y0 = m_penY;
  // The strings and bar lines: straight runs, filled as spans. The pixels
  // are those the stepping below would set.
  if (y0 == y || x0 == x) {
    const bool across = y0 == y;
    const int from = across ? x0 : y0;
    const int to = across ? x : y;
    const int low = from < to ? from : to + 1;
    const int high = from < to ? to : from + 1;
    if (across && y >= 0 && y < m_height) {
      FillRect(Rect{low, y, high, y + 1}, m_pen);
    } else if (!across && x >= 0 && x < m_width) {
      FillRect(Rect{x, low, x + 1, high}, m_pen);
    }
    m_penX = x;
    m_penY = y;
    return;
  }
  StepLine(x0, y0, x, y, [this](int px, int py) { SetPixel(px, py, m_pen); });
  m_penX = x;
  m_penY = y;
}

Font RasterSurface::SelectFont(Font f) {
  Font previous = m_font;
  m_font = f;
  return previous;
}

int RasterSurface::MeasureText(std::string_view cp932) const {
  int width = 0;
  for (char32_t cp : DecodeCp932(cp932)) {
    width += m_glyphs->GetGlyph(cp, m_font.height).advance;
  }
  return width;
}

void RasterSurface::DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) {
  const Rect clip = Intersect(box, Rect{0, 0, m_width, m_height});
  if (clip.Empty() || cp932.empty()) {
    return;
  }
  const int cellHeight = m_font.height;
  const int top =
      align == VerticalAlign::kTop ? box.top : box.top + (box.Height() - cellHeight) / 2;
  const int baseline = top + m_glyphs->Ascent(cellHeight);
  const std::u32string text = DecodeCp932(cp932);

  if (m_backgroundMode == BackgroundMode::kOpaque) {
    int width = 0;
    for (char32_t cp : text) {
      width += m_glyphs->GetGlyph(cp, cellHeight).advance;
    }
    const Rect cells = Intersect(Rect{box.left, top, box.left + width, top + cellHeight}, clip);
    FillRect(cells, m_backgroundColor);
  }

  int penX = box.left;
  for (char32_t cp : text) {
    const Glyph& g = m_glyphs->GetGlyph(cp, cellHeight);
    const int x0 = penX + g.left;
    const int y0 = baseline - g.top;
    // The glyph's part inside the clip, found once: the loops below touch
    // only pixels of the surface.
    const int firstRow = std::max(0, clip.top - y0);
    const int endRow = std::min(g.rows, clip.bottom - y0);
    const int firstCol = std::max(0, clip.left - x0);
    const int endCol = std::min(g.width, clip.right - x0);
    for (int row = firstRow; row < endRow; ++row) {
      std::uint32_t* dst = &m_pixels[static_cast<std::size_t>(y0 + row) * m_width + x0];
      const unsigned char* coverage = &g.coverage[static_cast<std::size_t>(row) * g.width];
      BlendRow(dst + firstCol, coverage + firstCol, endCol - firstCol, m_textColor);
    }
    penX += g.advance;
    if (penX >= clip.right) {
      break;
    }
  }
}

void RasterSurface::BitBlt(int dx, int dy, int w, int h, const RasterSurface& src, int sx, int sy) {
  // Clip the source rectangle to the source, then the destination to this.
  if (sx < 0) {
    dx -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    h += sy;
    sy = 0;
  }
  if (dx < 0) {
    sx -= dx;
    w += dx;
    dx = 0;
  }
  if (dy < 0) {
    sy -= dy;
    h += dy;
    dy = 0;
  }
  w = std::min({w, src.m_width - sx, m_width - dx});
  h = std::min({h, src.m_height - sy, m_height - dy});
  if (w <= 0 || h <= 0) {
    return;
  }
  for (int row = 0; row < h; ++row) {
    const std::uint32_t* from =
        &src.m_pixels[static_cast<std::size_t>(sy + row) * src.m_width + sx];
    std::copy(from, from + w, &m_pixels[static_cast<std::size_t>(dy + row) * m_width + dx]);
  }
}

}  // namespace kumoito
