#include "app/window_placement.h"

#include <algorithm>

namespace kumoito {
namespace {

constexpr int kGap = 8;
// Over the main window, the tool keeps clear of the scroll bar and of the
// controls below the score.
constexpr int kInsetFromRight = 30;
constexpr int kInsetFromBottom = 80;

int ClampInto(int position, int length, int low, int high) {
  return std::max(low, std::min(position, high - length));
}

}  // namespace

WindowPosition PlaceInputTool(const Rect& mainFrame, int toolWidth, int toolHeight,
                              const Rect& available) {
  WindowPosition at;
  if (mainFrame.right + kGap + toolWidth <= available.right) {
    at = {mainFrame.right + kGap, mainFrame.top};
  } else {
    at = {mainFrame.right - kInsetFromRight - toolWidth,
          mainFrame.bottom - kInsetFromBottom - toolHeight};
  }
  at.x = ClampInto(at.x, toolWidth, available.left, available.right);
  at.y = ClampInto(at.y, toolHeight, available.top, available.bottom);
  return at;
}

}  // namespace kumoito
