#include "render/measure_numbers.h"

#include <string>

namespace kumoito {
namespace {

// Clear of the cell's bar line below it, which sits at its left edge.
constexpr int kNumberInset = 3;
constexpr Font kNumberFont{12};

}  // namespace

void DrawMeasureNumbers(Canvas& canvas, int x, int y, int firstMeasure, int count, int cellWidth) {
  const Font previous = canvas.SelectFont(kNumberFont);
  canvas.SetTextColor(kBlack);
  canvas.SetBackgroundMode(BackgroundMode::kTransparent);
  for (int i = 0; i < count; ++i) {
    const std::string number = std::to_string(firstMeasure + i + 1);
    const int left = x + i * cellWidth + kNumberInset;
    canvas.DrawTextInBox(number,
                         Rect{left, y, x + (i + 1) * cellWidth, y + kMeasureNumberBandHeight});
  }
  canvas.SelectFont(previous);
}

}  // namespace kumoito
