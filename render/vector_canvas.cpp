#include "render/vector_canvas.h"

#include <algorithm>
#include <cstdio>

namespace kumoito {

VectorCanvas::VectorCanvas(GlyphSource* glyphs)
    : m_glyphs(glyphs != nullptr ? glyphs : &DefaultGlyphSource()), m_face(m_glyphs->Face()) {}

void VectorCanvas::BeginArea(double x, double y, double scale, int width, int height) {
  m_originX = x;
  m_originY = y;
  m_scale = scale;
  m_width = width;
  m_height = height;
}

void VectorCanvas::EndArea() {
  m_width = 0;
  m_height = 0;
}

PageRect VectorCanvas::ToPage(double left, double top, double right, double bottom) const {
  // Clipped to the picture, as a raster surface clips to itself.
  left = std::max(left, 0.0);
  top = std::max(top, 0.0);
  right = std::min(right, static_cast<double>(m_width));
  bottom = std::min(bottom, static_cast<double>(m_height));
  return PageRect{m_originX + left * m_scale, m_originY + top * m_scale,
                  std::max(right - left, 0.0) * m_scale, std::max(bottom - top, 0.0) * m_scale};
}

void VectorCanvas::FillRect(const Rect& r, Color c) {
  const PageRect p = ToPage(r.left, r.top, r.right, r.bottom);
  if (p.width > 0 && p.height > 0) {
    FillArea(p, c);
  }
}

void VectorCanvas::MoveTo(int x, int y) {
  m_penX = x;
  m_penY = y;
}

void VectorCanvas::LineTo(int x, int y) {
  const int x0 = m_penX;
  const int y0 = m_penY;
  m_penX = x;
  m_penY = y;
  if (x0 == x && y0 == y) {
    return;
  }
  if (y0 == y || x0 == x) {
    // The pixels a raster line paints: from the start up to the end point,
    // which stays unpainted; a stroke through their middle covers them.
    const bool across = y0 == y;
    const int from = across ? x0 : y0;
    const int to = across ? x : y;
    const int low = from < to ? from : to + 1;
    const int high = from < to ? to : from + 1;
    const PageRect p = across ? ToPage(low, y, high, y + 1) : ToPage(x, low, x + 1, high);
    if (p.width <= 0 || p.height <= 0) {
      return;
    }
    if (across) {
      StrokeLine(p.x, p.y + p.height / 2, p.x + p.width, p.y + p.height / 2, p.height, m_pen);
    } else {
      StrokeLine(p.x + p.width / 2, p.y, p.x + p.width / 2, p.y + p.height, p.width, m_pen);
    }
    return;
  }
  StrokeLine(m_originX + (x0 + 0.5) * m_scale, m_originY + (y0 + 0.5) * m_scale,
             m_originX + (x + 0.5) * m_scale, m_originY + (y + 0.5) * m_scale, m_scale, m_pen);
}

Font VectorCanvas::SelectFont(Font f) {
  const Font previous = m_font;
  m_font = f;
  return previous;
}

void VectorCanvas::DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) {
  const PageRect clip = ToPage(box.left, box.top, box.right, box.bottom);
  if (cp932.empty() || clip.width <= 0 || clip.height <= 0) {
    return;
  }
  const int cellHeight = m_font.height;
  const int top =
      align == VerticalAlign::kTop ? box.top : box.top + (box.Height() - cellHeight) / 2;
  const int baseline = top + m_glyphs->Ascent(cellHeight);
  const std::u32string decoded = DecodeCp932(cp932);

  std::u32string shown;
  std::vector<double> xs;
  int penX = box.left;
  const int clipRight = std::min(box.right, m_width);
  for (char32_t cp : decoded) {
    if (penX >= clipRight) {
      break;
    }
    if (cp > U' ') {
      shown.push_back(cp);
      xs.push_back(m_originX + penX * m_scale);
    }
    penX += m_glyphs->GetGlyph(cp, cellHeight).advance;
  }
  if (m_backgroundMode == BackgroundMode::kOpaque) {
    int width = 0;
    for (char32_t cp : decoded) {
      width += m_glyphs->GetGlyph(cp, cellHeight).advance;
    }
    const PageRect cells =
        ToPage(std::max(box.left, 0), std::max(top, box.top), std::min(box.left + width, box.right),
               std::min(top + cellHeight, box.bottom));
    if (cells.width > 0 && cells.height > 0) {
      FillArea(cells, m_backgroundColor);
    }
  }
  if (!shown.empty()) {
    ShowText(shown, xs, m_originY + baseline * m_scale, cellHeight * m_face.emPerCell * m_scale,
             m_textColor, clip);
  }
}

std::string HexColor(Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
  return text;
}

}  // namespace kumoito
