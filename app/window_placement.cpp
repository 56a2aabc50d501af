#include "app/window_placement.h"

#include <algorithm>

namespace kumoito {
namespace {

constexpr int kGap = 8;
// Over the score, a little of the cells' edge stays in sight.
constexpr int kInset = 4;

int ClampInto(int position, int length, int low, int high) {
  return std::max(low, std::min(position, high - length));
}

}  // namespace

WindowPosition PlaceInputTool(const Rect& mainFrame, const Rect& scoreArea, int toolWidth,
                              int toolHeight, const Rect& available) {
  WindowPosition at;
  if (mainFrame.right + kGap + toolWidth <= available.right) {
    at = {mainFrame.right + kGap, mainFrame.top};
  } else {
    at = {scoreArea.right - kInset - toolWidth,
          std::max(scoreArea.top, scoreArea.bottom - kInset - toolHeight)};
  }
  at.x = ClampInto(at.x, toolWidth, available.left, available.right);
  at.y = ClampInto(at.y, toolHeight, available.top, available.bottom);
  return at;
}

Rect FitWindowInside(const Rect& available, int width, int height, int decorationWidth,
                     int decorationHeight, int minWidth, int minHeight) {
  const int w = std::max(minWidth, std::min(width, available.Width() - decorationWidth));
  const int h = std::max(minHeight, std::min(height, available.Height() - decorationHeight));
  const int frameWidth = w + decorationWidth;
  const int frameHeight = h + decorationHeight;
  // A frame larger than the room keeps its top-left corner, and so its
  // title bar, on the screen.
  const int x = ClampInto(available.left + (available.Width() - frameWidth) / 2, frameWidth,
                          available.left, available.right);
  const int y = ClampInto(available.top + (available.Height() - frameHeight) / 2, frameHeight,
                          available.top, available.bottom);
  return Rect{x, y, x + w, y + h};
}

}  // namespace kumoito
