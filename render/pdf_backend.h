#pragma once
// The PDF back end, built into a module of its own (kumoito-print.so) with
// Cairo, whose library brings the X client libraries along: a conversion to
// an image or SVG never maps them. The module draws primitives in page units
// (points); the layout and the canvas live in the core (vector_export.cpp).
// No third-party type appears here.
//
// Thread-safety: a surface is used by one thread at a time.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/canvas.h"
#include "render/glyph_source.h"
#include "render/vector_canvas.h"

namespace kumoito {

enum class PageTextAlign { kLeft, kCenter, kRight };

class PdfSurface {
 public:
  virtual ~PdfSurface() = default;
  virtual void FillArea(const PageRect& r, Color c) = 0;
  virtual void StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) = 0;
  // As VectorCanvas::ShowText: the i-th character's left end at xs[i].
  virtual void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                        double em, Color c, const PageRect& clip) = 0;
  // A line of the page's own UTF-8 text, in black, its left end, middle or
  // right end at x; characters the text face lacks come from the symbol
  // face. Returns its width.
  virtual double DrawPageText(std::string_view utf8, double x, double baseline, double em,
                              PageTextAlign align) = 0;
  virtual void NextPage() = 0;
  // Ends the document and hands over its bytes; false with why.
  virtual bool Finish(std::vector<unsigned char>& bytes, std::string& why) = 0;
};

struct PrintBackends {
  // A document of pages width x height points, texts in the text face.
  std::unique_ptr<PdfSurface> (*openPdf)(double width, double height, const FaceInfo& text,
                                         const FaceInfo& symbols, const std::string& title,
                                         std::string& why);
};
inline constexpr int kPrintBackendsAbi = 1;
inline constexpr const char* kPrintModule = "kumoito-print.so";
inline constexpr const char* kPrintModuleEntry = "kumoito_print_backends";

// The module's backends, loaded on first use; null with why when missing.
const PrintBackends* PrintModule(std::string* why = nullptr);

// Defined in the module.
std::unique_ptr<PdfSurface> OpenCairoPdf(double width, double height, const FaceInfo& text,
                                         const FaceInfo& symbols, const std::string& title,
                                         std::string& why);

}  // namespace kumoito
