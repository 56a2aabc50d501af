#include "render/scaled_canvas.h"

#include <cmath>
#include <cstdlib>

#include "render/raster_surface.h"

namespace kumoito {

int ScaleEdge(int v, double scale) {
  return static_cast<int>(std::lround(v * scale));
}

Rect ScaleRect(const Rect& r, double scale) {
  return Rect{ScaleEdge(r.left, scale), ScaleEdge(r.top, scale), ScaleEdge(r.right, scale),
              ScaleEdge(r.bottom, scale)};
}

int UnscaleEdge(int v, double scale) {
  if (scale <= 0) {
    return v;
  }
  // The quotient is at most one pixel off either way; the edges decide.
  int p = static_cast<int>(std::floor(v / scale));
  while (ScaleEdge(p, scale) > v) {
    --p;
  }
  while (ScaleEdge(p + 1, scale) <= v) {
    ++p;
  }
  return p;
}

ScaledCanvas::ScaledCanvas(RasterSurface& target, double scale)
    : m_target(target), m_scale(scale > 0 ? scale : 1.0) {
  m_font = m_target.CurrentFont();
  m_targetFont = m_font;
  m_target.SelectFont(Font{ScaleEdge(m_font.height, m_scale)});
}

ScaledCanvas::~ScaledCanvas() {
  m_target.SelectFont(m_targetFont);
}

void ScaledCanvas::FillRect(const Rect& r, Color c) {
  m_target.FillRect(ScaleRect(r, m_scale), c);
}

void ScaledCanvas::SetPen(Color c) {
  m_target.SetPen(c);
}

Color ScaledCanvas::Pen() const {
  return m_target.Pen();
}

void ScaledCanvas::MoveTo(int x, int y) {
  m_penX = x;
  m_penY = y;
}

void ScaledCanvas::FillSpan(int left, int top, int right, int bottom) {
  m_target.FillRect(ScaleRect(Rect{left, top, right, bottom}, m_scale), m_target.Pen());
}

void ScaledCanvas::LineTo(int x, int y) {
  // The pixels of the 1x line (end point left out, as on the surface), each
  // grown to its scaled block.
  const int x0 = m_penX;
  const int y0 = m_penY;
  if (y0 == y || x0 == x) {
    if (y0 == y && x0 != x) {
      FillSpan(x0 < x ? x0 : x + 1, y, x0 < x ? x : x0 + 1, y + 1);
    } else if (x0 == x && y0 != y) {
      FillSpan(x, y0 < y ? y0 : y + 1, x + 1, y0 < y ? y : y0 + 1);
    }
    m_penX = x;
    m_penY = y;
    return;
  }
  StepLine(x0, y0, x, y, [this](int px, int py) { FillSpan(px, py, px + 1, py + 1); });
  m_penX = x;
  m_penY = y;
}

void ScaledCanvas::SetTextColor(Color c) {
  m_target.SetTextColor(c);
}

void ScaledCanvas::SetBackgroundColor(Color c) {
  m_target.SetBackgroundColor(c);
}

void ScaledCanvas::SetBackgroundMode(BackgroundMode m) {
  m_target.SetBackgroundMode(m);
}

Font ScaledCanvas::SelectFont(Font f) {
  const Font previous = m_font;
  m_font = f;
  m_target.SelectFont(Font{ScaleEdge(f.height, m_scale)});
  return previous;
}

void ScaledCanvas::DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) {
  m_target.DrawTextInBox(cp932, ScaleRect(box, m_scale), align);
}

}  // namespace kumoito
