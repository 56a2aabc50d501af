#include "render/svg_canvas.h"

#include <cstdio>

#include "common/utf8.h"

namespace kumoito {
namespace {

// Shortest text of a coordinate; pages are drawn on whole pixels and
// halves, so three decimals lose nothing.
std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", v);
  std::string s = text;
  while (!s.empty() && s.back() == '0') {
    s.pop_back();
  }
  if (!s.empty() && s.back() == '.') {
    s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

void AppendEscaped(std::string& out, char32_t cp) {
  switch (cp) {
    case U'<':
      out += "&lt;";
      break;
    case U'>':
      out += "&gt;";
      break;
    case U'&':
      out += "&amp;";
      break;
    case U'"':
      out += "&quot;";
      break;
    default:
      // Control characters have no place in XML 1.0 text.
      if (cp >= 0x20 && cp != 0xFFFE && cp != 0xFFFF && !(cp >= 0xD800 && cp < 0xE000)) {
        AppendUtf8(out, cp);
      }
  }
}

std::string EscapedText(std::string_view text) {
  std::string out;
  for (char c : text) {
    AppendEscaped(out, static_cast<unsigned char>(c));
  }
  return out;
}

}  // namespace

SvgCanvas::SvgCanvas(int width, int height, GlyphSource* glyphs)
    : VectorCanvas(glyphs), m_width(width), m_height(height) {
  m_body.reserve(1 << 16);
}

void SvgCanvas::FillArea(const PageRect& r, Color c) {
  m_body += "<path d=\"M" + Num(r.x) + ' ' + Num(r.y) + 'h' + Num(r.width) + 'v' + Num(r.height) +
            'h' + Num(-r.width) + "z\" fill=\"" + HexColor(c) + "\"/>\n";
}

void SvgCanvas::StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) {
  m_body += "<path d=\"M" + Num(x0) + ' ' + Num(y0) + 'L' + Num(x1) + ' ' + Num(y1) +
            "\" stroke=\"" + HexColor(c) + "\" stroke-width=\"" + Num(width) + "\"/>\n";
}

void SvgCanvas::ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                         double em, Color c, const PageRect& clip) {
  const std::string id = "t" + std::to_string(m_clipCount++);
  m_defs += "<clipPath id=\"" + id + "\"><rect x=\"" + Num(clip.x) + "\" y=\"" + Num(clip.y) +
            "\" width=\"" + Num(clip.width) + "\" height=\"" + Num(clip.height) +
            "\"/></clipPath>\n";
  std::string x;
  for (double v : xs) {
    x += (x.empty() ? "" : " ") + Num(v);
  }
  m_body += "<text clip-path=\"url(#" + id + ")\" x=\"" + x + "\" y=\"" + Num(baseline) +
            "\" font-size=\"" + Num(em) + "\" fill=\"" + HexColor(c) + "\">";
  for (char32_t cp : text) {
    AppendEscaped(m_body, cp);
  }
  m_body += "</text>\n";
}

std::string SvgCanvas::Finish() {
  const std::string family = EscapedText(Face().family);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         std::to_string(m_width) + "\" height=\"" + std::to_string(m_height) + "\" viewBox=\"0 0 " +
         std::to_string(m_width) + ' ' + std::to_string(m_height) + "\">\n";
  out += "<defs>\n" + m_defs + "</defs>\n";
  // The lines are one pixel wide and sit on pixel centres: crisp edges keep
  // them as sharp as the raster page.
  out += "<g font-family=\"" + family + ", sans-serif\" shape-rendering=\"crispEdges\">\n";
  out += m_body;
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace kumoito
