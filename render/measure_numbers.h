#pragma once
// Measure numbers on exported pages: a band above each row of measures that
// names every measure at its left edge, drawn outside the cells' pictures so
// that the cells stay what the window shows. The image page has them only
// when asked; PDF and SVG when the settings say so (the program decides).
//
// Thread-safety: pure drawing on the caller's canvas.

#include "render/canvas.h"

namespace kumoito {

// The band's height in pixels of a cell; 0 when the numbers are off.
inline constexpr int kMeasureNumberBandHeight = 14;

// What a page shows beyond the cells and the title strip.
struct ScorePageOptions {
  bool measureNumbers = false;
  // The row of 口三味線 syllables under each measure.
  bool syllables = false;

  int BandHeight() const { return measureNumbers ? kMeasureNumberBandHeight : 0; }
};

// Draws the numbers firstMeasure + 1 .. firstMeasure + count (counted from
// 0, shown from 1) in a band whose top left is (x, y), one to each cell of
// cellWidth: black 12-pixel digits on whatever lies under them.
void DrawMeasureNumbers(Canvas& canvas, int x, int y, int firstMeasure, int count, int cellWidth);

}  // namespace kumoito
