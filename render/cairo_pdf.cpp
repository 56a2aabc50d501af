// The PDF back end: a Cairo PDF surface written into memory, texts in the
// FreeType face of the font file the raster glyphs come from, so that Cairo
// embeds a subset of that very font.

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "common/utf8.h"
#include "render/pdf_backend.h"

namespace kumoito {
namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Code points of UTF-8 text; a broken sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    char32_t cp = n == 1 ? c : (c & (0x7F >> n));
    for (int k = 1; k < n; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out.push_back(cp);
    i += n;
  }
  return out;
}

void SetColor(cairo_t* cr, Color c) {
  cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                       (c & 0xFF) / 255.0);
}

// A FreeType face handed to Cairo, released when Cairo lets go of it.
struct FaceHolder {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  cairo_font_face_t* cairoFace = nullptr;
};

const cairo_user_data_key_t kFaceKey{};

void ReleaseFace(void* data) {
  auto* holder = static_cast<FaceHolder*>(data);
  FT_Done_Face(holder->face);
  FT_Done_FreeType(holder->library);
  delete holder;
}

// Cairo's face for a font file, or null.
cairo_font_face_t* LoadFace(const FaceInfo& info, FT_Face* ftFace) {
  if (info.file.empty()) {
    return nullptr;
  }
  auto* holder = new FaceHolder;
  if (FT_Init_FreeType(&holder->library) != 0) {
    delete holder;
    return nullptr;
  }
  if (FT_New_Face(holder->library, info.file.c_str(), info.index, &holder->face) != 0) {
    FT_Done_FreeType(holder->library);
    delete holder;
    return nullptr;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(holder->face, 0);
  if (cairo_font_face_set_user_data(face, &kFaceKey, holder, ReleaseFace) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    ReleaseFace(holder);
    return nullptr;
  }
  *ftFace = holder->face;
  return face;
}

class CairoPdfSurface final : public PdfSurface {
 public:
  CairoPdfSurface() = default;
  ~CairoPdfSurface() override {
    if (m_cr != nullptr) {
      cairo_destroy(m_cr);
    }
    if (m_surface != nullptr) {
      cairo_surface_destroy(m_surface);
    }
    for (cairo_font_face_t* face : {m_textFace, m_symbolFace}) {
      if (face != nullptr) {
        cairo_font_face_destroy(face);
      }
    }
  }
  CairoPdfSurface(const CairoPdfSurface&) = delete;
  CairoPdfSurface& operator=(const CairoPdfSurface&) = delete;

  bool Open(double width, double height, const FaceInfo& text, const FaceInfo& symbols,
            const std::string& title, std::string& why) {
    m_textFace = LoadFace(text, &m_textFt);
    if (m_textFace == nullptr) {
      why = "the font " + (text.file.empty() ? std::string("for Japanese") : text.file) +
            " cannot be loaded";
      return false;
    }
    m_symbolFace = LoadFace(symbols, &m_symbolFt);
    m_surface = cairo_pdf_surface_create_for_stream(AppendBytes, &m_bytes, width, height);
    m_cr = cairo_create(m_surface);
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS) {
      why = cairo_status_to_string(cairo_status(m_cr));
      return false;
    }
    if (!title.empty()) {
      cairo_pdf_surface_set_metadata(m_surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    }
    cairo_pdf_surface_set_metadata(m_surface, CAIRO_PDF_METADATA_CREATOR, "Kumoito");
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_BUTT);
    return true;
  }

  void FillArea(const PageRect& r, Color c) override {
    SetColor(m_cr, c);
    cairo_rectangle(m_cr, r.x, r.y, r.width, r.height);
    cairo_fill(m_cr);
  }

  void StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) override {
    SetColor(m_cr, c);
    cairo_set_line_width(m_cr, width);
    cairo_move_to(m_cr, x0, y0);
    cairo_line_to(m_cr, x1, y1);
    cairo_stroke(m_cr);
  }

  void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                double em, Color c, const PageRect& clip) override {
    cairo_save(m_cr);
    cairo_rectangle(m_cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(m_cr);
    SetColor(m_cr, c);
    cairo_set_font_face(m_cr, m_textFace);
    cairo_set_font_size(m_cr, em);
    // One glyph per character at the raster's pen positions, with clusters
    // so that the text is found and copied as written.
    std::string utf8;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t before = utf8.size();
      AppendUtf8(utf8, text[i]);
      glyphs.push_back(cairo_glyph_t{FT_Get_Char_Index(m_textFt, text[i]), xs[i], baseline});
      clusters.push_back(cairo_text_cluster_t{static_cast<int>(utf8.size() - before), 1});
    }
    cairo_show_text_glyphs(m_cr, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                           static_cast<int>(glyphs.size()), clusters.data(),
                           static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
    cairo_restore(m_cr);
  }

  double DrawPageText(std::string_view utf8, double x, double baseline, double em,
                      PageTextAlign align) override {
    // Runs of characters by the face that has them.
    struct Run {
      cairo_font_face_t* face;
      std::string text;
      double width;
    };
    std::vector<Run> runs;
    cairo_set_font_size(m_cr, em);
    for (char32_t cp : DecodeUtf8(utf8)) {
      cairo_font_face_t* face = FT_Get_Char_Index(m_textFt, cp) == 0 && m_symbolFace != nullptr &&
                                        FT_Get_Char_Index(m_symbolFt, cp) != 0
                                    ? m_symbolFace
                                    : m_textFace;
      if (runs.empty() || runs.back().face != face) {
        runs.push_back(Run{face, {}, 0});
      }
      AppendUtf8(runs.back().text, cp);
    }
    double total = 0;
    for (Run& run : runs) {
      cairo_set_font_face(m_cr, run.face);
      cairo_text_extents_t extents;
      cairo_text_extents(m_cr, run.text.c_str(), &extents);
      run.width = extents.x_advance;
      total += run.width;
    }
    double pen = align == PageTextAlign::kLeft     ? x
                 : align == PageTextAlign::kCenter ? x - total / 2
                                                   : x - total;
    SetColor(m_cr, 0);
    for (const Run& run : runs) {
      cairo_set_font_face(m_cr, run.face);
      cairo_move_to(m_cr, pen, baseline);
      cairo_show_text(m_cr, run.text.c_str());
      pen += run.width;
    }
    return total;
  }

  void NextPage() override { cairo_show_page(m_cr); }

  bool Finish(std::vector<unsigned char>& bytes, std::string& why) override {
    cairo_destroy(m_cr);
    m_cr = nullptr;
    cairo_surface_finish(m_surface);
    const cairo_status_t status = cairo_surface_status(m_surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      why = cairo_status_to_string(status);
      return false;
    }
    bytes = std::move(m_bytes);
    return true;
  }

 private:
  std::vector<unsigned char> m_bytes;
  cairo_surface_t* m_surface = nullptr;
  cairo_t* m_cr = nullptr;
  cairo_font_face_t* m_textFace = nullptr;
  cairo_font_face_t* m_symbolFace = nullptr;
  FT_Face m_textFt = nullptr;
  FT_Face m_symbolFt = nullptr;
};

}  // namespace

std::unique_ptr<PdfSurface> OpenCairoPdf(double width, double height, const FaceInfo& text,
                                         const FaceInfo& symbols, const std::string& title,
                                         std::string& why) {
  auto surface = std::make_unique<CairoPdfSurface>();
  if (!surface->Open(width, height, text, symbols, title, why)) {
    return nullptr;
  }
  return surface;
}

}  // namespace kumoito

extern "C" __attribute__((visibility("default"))) const kumoito::PrintBackends*
kumoito_print_backends(int abi) {
  static const kumoito::PrintBackends backends{kumoito::OpenCairoPdf};
  return abi == kumoito::kPrintBackendsAbi ? &backends : nullptr;
}
