#include "render/vector_export.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/file_util.h"
#include "common/module_loader.h"
#include "common/sjis.h"
#include "render/pdf_backend.h"
#include "render/score_export.h"
#include "render/score_view.h"
#include "render/svg_canvas.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr int kMeasuresPerRow = 4;
constexpr int kTitleTextOffset = 15;
constexpr double kMm = 72.0 / 25.4;
constexpr double kA4Width = 210 * kMm;
constexpr double kA4Height = 297 * kMm;
constexpr double kMargin = 18 * kMm;
// Room under the rows for the page number, whose baseline sits 15 mm up.
constexpr double kFooter = 25 * kMm;
constexpr double kPageNumberRaise = 15 * kMm;
constexpr double kHeaderHeight = 72;

struct CellSize {
  int width;
  int height;
};

CellSize CellOf(const CScoreView& view) {
  if (view.CellCount() > 0 && view.CellSurface(0) != nullptr) {
    return CellSize{view.CellSurface(0)->width, view.CellSurface(0)->height};
  }
  return CellSize{128, 100};
}

void DrawMeasure(VectorCanvas& canvas, const CScoreView& view, int measure, double x, double y,
                 double scale, CellSize cell, bool syllables) {
  std::array<CellEntry, kMaxCellEntries> entries;
  const CSongData* song = view.Song();
  const int count = song != nullptr && song->BeatCount() > 0 && measure < song->m_measureCount
                        ? view.CollectMeasure(measure, entries, syllables)
                        : 0;
  canvas.BeginArea(x, y, scale, cell.width, cell.height);
  DrawScoreCell(canvas, cell.width, cell.height, entries.data(), count);
  DrawMeasureMarks(canvas, cell.width, view.MeasureDrawingOf(measure));
  canvas.EndArea();
}

// The vector canvas of a PDF document: primitives go to the module.
class PdfCanvas final : public VectorCanvas {
 public:
  explicit PdfCanvas(PdfSurface& surface) : m_surface(surface) {}

 protected:
  void FillArea(const PageRect& r, Color c) override { m_surface.FillArea(r, c); }
  void StrokeLine(double x0, double y0, double x1, double y1, double width, Color c) override {
    m_surface.StrokeLine(x0, y0, x1, y1, width, c);
  }
  void ShowText(const std::u32string& text, const std::vector<double>& xs, double baseline,
                double em, Color c, const PageRect& clip) override {
    m_surface.ShowText(text, xs, baseline, em, c, clip);
  }

 private:
  PdfSurface& m_surface;
};

void DrawHeader(PdfSurface& pdf, const PrintHeader& header) {
  double y = kMargin + 18;
  pdf.DrawPageText(header.title, kA4Width / 2, y, 18, PageTextAlign::kCenter);
  std::string credits;
  if (!header.lyricist.empty()) {
    credits += "作詞 " + header.lyricist;
  }
  if (!header.composer.empty()) {
    credits += (credits.empty() ? "" : "　") + std::string("作曲 ") + header.composer;
  }
  y += 20;
  if (!credits.empty()) {
    pdf.DrawPageText(credits, kA4Width - kMargin, y, 10, PageTextAlign::kRight);
  }
  y += 22;
  const std::string settings = "調子 " + header.tuning + "　一の糸 " + header.firstString +
                               "　調 " + header.key + "　♩ = " + std::to_string(header.tempo);
  pdf.DrawPageText(settings, kMargin, y, 11, PageTextAlign::kLeft);
}

}  // namespace

const PrintBackends* PrintModule(std::string* why) {
  // Loaded on the first PDF, so that no other run maps Cairo and the X
  // client libraries it brings.
  static std::string failure;
  static const PrintBackends* const backends = [] {
    using Entry = const PrintBackends* (*)(int);
    auto entry = reinterpret_cast<Entry>(LoadModuleEntry(kPrintModule, kPrintModuleEntry, failure));
    const PrintBackends* b = entry != nullptr ? entry(kPrintBackendsAbi) : nullptr;
    if (entry != nullptr && b == nullptr) {
      failure = std::string(kPrintModule) + " is of another build";
    }
    return b;
  }();
  if (why != nullptr) {
    *why = failure;
  }
  return backends;
}

std::string ScoreSvgDocument(const CScoreView& view, ScorePageOptions options) {
  const CSongData& song = *view.Song();
  const CellSize cell = CellOf(view);
  const bool titleBand = view.Settings() != nullptr && view.Settings()->titleBand == 1;
  const int strip = titleBand ? kTitleStripHeight : 0;
  const int band = options.BandHeight();
  const int measures = std::max(song.m_measureCount, 0);
  const int rows = (measures + kMeasuresPerRow - 1) / kMeasuresPerRow;
  const int width = kMeasuresPerRow * cell.width;
  const int height = rows * (cell.height + band) + strip;

  SvgCanvas svg(width, height);
  svg.BeginArea(0, 0, 1, width, height);
  svg.FillRect(Rect{0, 0, width, height}, kPageBackground);
  if (titleBand) {
    svg.FillRect(Rect{0, 0, width, kTitleStripHeight}, kWhite);
    svg.SetTextColor(kBlack);
    svg.SetBackgroundColor(kWhite);
    svg.SetBackgroundMode(BackgroundMode::kOpaque);
    svg.SelectFont(kDefaultFont);
    // The strip is 40 pixels tall: the title's box is cut there, as on the image.
    svg.BeginArea(0, 0, 1, width, kTitleStripHeight);
    DrawTitleText(svg, FieldText(song.m_info.title), kTitleTextOffset, kTitleTextOffset, 0);
  }
  svg.EndArea();
  for (int g = 0; g < measures; ++g) {
    const int top = (g / kMeasuresPerRow) * (cell.height + band) + strip;
    if (band > 0 && g % kMeasuresPerRow == 0) {
      svg.BeginArea(0, top, 1, width, band);
      DrawMeasureNumbers(svg, 0, 0, g, std::min(kMeasuresPerRow, measures - g), cell.width);
      svg.EndArea();
    }
    DrawMeasure(svg, view, g, (g % kMeasuresPerRow) * cell.width, top + band, 1, cell,
                options.syllables);
  }
  return svg.Finish();
}

bool ExportScoreSvg(const CScoreView& view, const std::string& path, std::string& why,
                    ScorePageOptions options) {
  if (view.Song() == nullptr) {
    why = "no song is loaded";
    return false;
  }
  // As for the image: a page of no rows and no strip is no picture.
  const bool titleBand = view.Settings() != nullptr && view.Settings()->titleBand == 1;
  if (view.Song()->m_measureCount <= 0 && !titleBand) {
    why = "the song has nothing to draw";
    return false;
  }
  const std::string document = ScoreSvgDocument(view, options);
  if (!WriteFileBytes(path, document.data(), document.size())) {
    why = LastWriteError().message();
    return false;
  }
  return true;
}

PdfLayout LayOutPdf(int measures, ScorePageOptions options) {
  PdfLayout layout{};
  layout.pageWidth = kA4Width;
  layout.pageHeight = kA4Height;
  layout.margin = kMargin;
  layout.scale = (kA4Width - 2 * kMargin) / (kMeasuresPerRow * 128.0);
  const double rowHeight = (100 + options.BandHeight()) * layout.scale;
  const double rowsArea = kA4Height - kMargin - kFooter;
  layout.rowsPerPage = std::max(1, static_cast<int>(rowsArea / rowHeight));
  layout.firstPageRows = std::max(1, static_cast<int>((rowsArea - kHeaderHeight) / rowHeight));
  const int rows = (std::max(measures, 0) + kMeasuresPerRow - 1) / kMeasuresPerRow;
  layout.pages =
      rows <= layout.firstPageRows
          ? 1
          : 1 + (rows - layout.firstPageRows + layout.rowsPerPage - 1) / layout.rowsPerPage;
  return layout;
}

bool ScorePdfDocument(const CScoreView& view, const PrintHeader& header,
                      std::vector<unsigned char>& bytes, std::string& why,
                      ScorePageOptions options) {
  const PrintBackends* backends = PrintModule(&why);
  if (backends == nullptr) {
    return false;
  }
  FaceInfo text = DefaultGlyphSource().Face();
  if (text.file.empty()) {
    text = MatchFontFace("sans-serif:lang=ja");
  }
  // IPAGothic has no ♩; a face that has it writes the tempo's mark.
  const FaceInfo symbols = MatchFontFace("sans-serif:charset=2669");
  std::unique_ptr<PdfSurface> pdf =
      backends->openPdf(kA4Width, kA4Height, text, symbols, header.title, why);
  if (!pdf) {
    return false;
  }
  const CSongData& song = *view.Song();
  const CellSize cell = CellOf(view);
  const int measures = std::max(song.m_measureCount, 0);
  const PdfLayout layout = LayOutPdf(measures, options);
  // Cells keep their own size in pixels; the scale makes four of them fill
  // the printable width.
  const double scale = (kA4Width - 2 * kMargin) / (kMeasuresPerRow * cell.width);
  const int band = options.BandHeight();
  const double rowHeight = (cell.height + band) * scale;
  PdfCanvas canvas(*pdf);

  int measure = 0;
  for (int page = 0; page < layout.pages; ++page) {
    double y = kMargin;
    int rows = layout.rowsPerPage;
    if (page == 0) {
      DrawHeader(*pdf, header);
      y += kHeaderHeight;
      rows = layout.firstPageRows;
    }
    for (int r = 0; r < rows && measure < measures; ++r) {
      if (band > 0) {
        canvas.BeginArea(kMargin, y, scale, kMeasuresPerRow * cell.width, band);
        DrawMeasureNumbers(canvas, 0, 0, measure, std::min(kMeasuresPerRow, measures - measure),
                           cell.width);
        canvas.EndArea();
      }
      for (int c = 0; c < kMeasuresPerRow && measure < measures; ++c, ++measure) {
        DrawMeasure(canvas, view, measure, kMargin + c * cell.width * scale, y + band * scale,
                    scale, cell, options.syllables);
      }
      y += rowHeight;
    }
    const std::string number = std::to_string(page + 1) + " / " + std::to_string(layout.pages);
    pdf->DrawPageText(number, kA4Width / 2, kA4Height - kPageNumberRaise, 9,
                      PageTextAlign::kCenter);
    if (page + 1 < layout.pages) {
      pdf->NextPage();
    }
  }
  return pdf->Finish(bytes, why);
}

bool ExportScorePdf(const CScoreView& view, const PrintHeader& header, const std::string& path,
                    std::string& why, ScorePageOptions options) {
  if (view.Song() == nullptr) {
    why = "no song is loaded";
    return false;
  }
  std::vector<unsigned char> bytes;
  if (!ScorePdfDocument(view, header, bytes, why, options)) {
    return false;
  }
  if (!WriteFileBytes(path, bytes.data(), bytes.size())) {
    why = LastWriteError().message();
    return false;
  }
  return true;
}

}  // namespace kumoito
