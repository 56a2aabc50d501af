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

}  // namespace kumoito
