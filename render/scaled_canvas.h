#pragma once
// ScaledCanvas: draws the pictures laid out in 1x pixels into a raster
// surface that has `scale` times the pixels (a screen of device pixel ratio
// 1.25, 1.5, 2, 3), so that the drawing code keeps its integer layout.
//
// One rule maps every coordinate: an edge v of the 1x layout lands on
// Edge(v) = round(v * scale) (halves away from zero), and a run of 1x pixels
// [a, b) covers [Edge(a), Edge(b)). Widths are therefore differences of
// rounded edges, never rounded widths, so that two boxes or lines that touch
// at 1x touch at every scale and lines do not wander between cells. A
// one-pixel pen line at 1x pixel row y covers rows [Edge(y), Edge(y + 1)); a
// font of cell height h is drawn at Edge(h) pixels.
//
// At scale 1 callers draw on the surface itself, which keeps the pictures
// and every export byte for byte as they were.
//
// Thread-safety: as the surface, one thread at a time.

#include "render/canvas.h"

namespace kumoito {

class RasterSurface;

// round(v * scale), halves away from zero.
int ScaleEdge(int v, double scale);
// The rectangle's edges by ScaleEdge.
Rect ScaleRect(const Rect& r, double scale);
// The way back, for clicks: the 1x pixel p whose run [ScaleEdge(p),
// ScaleEdge(p + 1)) holds scaled pixel v.
int UnscaleEdge(int v, double scale);

class ScaledCanvas final : public Canvas {
 public:
  // The target is not owned; its size is the 1x size times the scale.
  ScaledCanvas(RasterSurface& target, double scale);
  // Hands the target back with the font it had, so that the next canvas on
  // it does not scale an already scaled font again.
  ~ScaledCanvas() override;
  ScaledCanvas(const ScaledCanvas&) = delete;
  ScaledCanvas& operator=(const ScaledCanvas&) = delete;

  double Scale() const { return m_scale; }

  void FillRect(const Rect& r, Color c) override;
  void SetPen(Color c) override;
  Color Pen() const override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void SetTextColor(Color c) override;
  void SetBackgroundColor(Color c) override;
  void SetBackgroundMode(BackgroundMode m) override;
  // Takes and hands back fonts of the 1x layout.
  Font SelectFont(Font f) override;
  using Canvas::DrawTextInBox;
  void DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) override;

 private:
  // Paints the 1x pixel span [left, right) x [top, bottom) in the pen colour.
  void FillSpan(int left, int top, int right, int bottom);

  RasterSurface& m_target;
  double m_scale;
  Font m_font = kDefaultFont;
  Font m_targetFont = kDefaultFont;
  int m_penX = 0;
  int m_penY = 0;
};

}  // namespace kumoito
