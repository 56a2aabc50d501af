#pragma once
// SvgCanvas: a vector canvas that writes an SVG document in memory — fills
// and lines as paths, texts as <text> in the font's own family, each
// character at its raster place, and every text clipped to its box.
//
// Thread-safety: one thread at a time.

#include <string>
#include <vector>

#include "render/vector_canvas.h"

namespace kumoito {

class SvgCanvas final : public VectorCanvas {
 public:
  // A document of width x height user units (pixels).
  SvgCanvas(int width, int height, GlyphSource* glyphs = nullptr);
  // The whole document.
  std::string Finish();

 protected:
  void FillArea(const PageRect& r, Color c) override;
  void StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) override;
  void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                double em, Color c, const PageRect& clip) override;

 private:
  int m_width;
  int m_height;
  std::string m_defs;
  std::string m_body;
  int m_clipCount = 0;
};

}  // namespace kumoito
