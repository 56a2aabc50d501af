#pragma once
// VectorCanvas: a canvas whose pictures become vector drawing on a page (PDF,
// SVG). The score code draws in the pixels of its picture; BeginArea maps
// them onto the page (origin and scale) and clips to the picture, as a
// raster surface clips to itself. Lines become strokes over exactly the
// pixels a raster line paints, and text keeps the raster's glyph places
// (each character at the pen position of the same face's hinted advances),
// so that the page and the window agree. A back end supplies the three
// primitives below.
//
// Thread-safety: one thread at a time, as every canvas.

#include <string>
#include <string_view>
#include <vector>

#include "render/canvas.h"
#include "render/glyph_source.h"

namespace kumoito {

// A rectangle in page units.
struct PageRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

class VectorCanvas : public Canvas {
 public:
  // Glyph metrics come from glyphs (null: DefaultGlyphSource()).
  explicit VectorCanvas(GlyphSource* glyphs = nullptr);

  // Later drawing is of a picture of width x height pixels whose (0, 0) is
  // at (x, y) of the page, one pixel `scale` page units; it is clipped to
  // the picture.
  void BeginArea(double x, double y, double scale, int width, int height);
  void EndArea();

  void FillRect(const Rect& r, Color c) override;
  void SetPen(Color c) override { m_pen = c; }
  Color Pen() const override { return m_pen; }
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void SetTextColor(Color c) override { m_textColor = c; }
  void SetBackgroundColor(Color c) override { m_backgroundColor = c; }
  void SetBackgroundMode(BackgroundMode m) override { m_backgroundMode = m; }
  Font SelectFont(Font f) override;
  using Canvas::DrawTextInBox;
  void DrawTextInBox(std::string_view cp932, const Rect& box, VerticalAlign align) override;

  const FaceInfo& Face() const { return m_face; }

 protected:
  // Back-end primitives, in page units.
  virtual void FillArea(const PageRect& r, Color c) = 0;
  virtual void StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) = 0;
  // Characters of text, the i-th with its left end at xs[i], on one
  // baseline, at em size `em`, clipped to clip.
  virtual void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                        double em, Color c, const PageRect& clip) = 0;

 private:
  PageRect ToPage(double left, double top, double right, double bottom) const;

  GlyphSource* m_glyphs;
  FaceInfo m_face;
  double m_originX = 0;
  double m_originY = 0;
  double m_scale = 1;
  int m_width = 0;
  int m_height = 0;
  Color m_pen = kBlack;
  Color m_textColor = kBlack;
  Color m_backgroundColor = kWhite;
  BackgroundMode m_backgroundMode = BackgroundMode::kOpaque;
  Font m_font = kDefaultFont;
  int m_penX = 0;
  int m_penY = 0;
};

// "#RRGGBB" of a colour.
std::string HexColor(Color c);

}  // namespace kumoito
