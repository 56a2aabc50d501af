#pragma once
// The score as vector drawing: the page of the image export as SVG (same
// layout and size), and print-ready A4 pages as PDF (whole rows of four
// measures scaled to the printable width, a header on the first page, page
// numbers). Both draw each measure with the score cells' own drawing code.
//
// Thread-safety: GUI thread only (the view's song is read).

#include <string>
#include <vector>

#include "render/measure_numbers.h"

namespace kumoito {

class CScoreView;

// What a player must know before playing, for the first page (UTF-8).
struct PrintHeader {
  std::string title;
  std::string lyricist;
  std::string composer;
  std::string tuning;       // 本調子, 二上り or 三下り
  std::string firstString;  // pitch name of 一の糸
  std::string key;          // 調
  int tempo = 0;            // quarter notes a minute
};

// The view's song (which must be set) as the image export's page in SVG,
// with the same options the same page. False with why when nothing could be
// written.
bool ExportScoreSvg(const CScoreView& view, const std::string& path, std::string& why,
                    ScorePageOptions options = {});

// The view's song as PDF. Needs the print module; false with why.
bool ExportScorePdf(const CScoreView& view, const PrintHeader& header, const std::string& path,
                    std::string& why, ScorePageOptions options = {});

// The SVG document and the PDF bytes themselves, for the files above and
// for measurements.
std::string ScoreSvgDocument(const CScoreView& view, ScorePageOptions options = {});
bool ScorePdfDocument(const CScoreView& view, const PrintHeader& header,
                      std::vector<unsigned char>& bytes, std::string& why,
                      ScorePageOptions options = {});

// How the PDF lays out its rows (points), exposed for tests.
struct PdfLayout {
  double pageWidth;
  double pageHeight;
  double margin;  // left, right and top
  double scale;   // points per pixel of a cell
  int firstPageRows;
  int rowsPerPage;
  int pages;
};
PdfLayout LayOutPdf(int measures, ScorePageOptions options = {});

}  // namespace kumoito
