#include "app/window_size.h"

#include <algorithm>
#include <cstdint>

#include "common/file_util.h"
#include "common/settings_lines.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 1024;
// Larger than any screen's client; a value beyond it is damage.
constexpr int kMaxSide = 32768;

}  // namespace

std::optional<KeptWindowSize> ParseWindowSize(std::string_view text, int minWidth, int minHeight) {
  std::int32_t width = -1, height = -1, maximized = 0;
  ForEachSettingLine(text, [&](std::string_view name, std::string_view value) {
    if (name == "width") {
      ReadSettingNumber(value, width);
    } else if (name == "height") {
      ReadSettingNumber(value, height);
    } else if (name == "maximized") {
      ReadSettingNumber(value, maximized);
    }
  });
  if (width < minWidth || height < minHeight || width > kMaxSide || height > kMaxSide ||
      (maximized != 0 && maximized != 1)) {
    return std::nullopt;
  }
  return KeptWindowSize{width, height, maximized == 1};
}

std::string FormatWindowSize(const KeptWindowSize& size) {
  return "width=" + std::to_string(size.width) + "\nheight=" + std::to_string(size.height) +
         "\nmaximized=" + (size.maximized ? "1" : "0") + "\n";
}

std::optional<KeptWindowSize> LoadWindowSize(const std::string& path, int minWidth, int minHeight) {
  const std::optional<std::string> text = ReadSettingsFile(path, kMaxFileBytes);
  return text ? ParseWindowSize(*text, minWidth, minHeight) : std::nullopt;
}

bool SaveWindowSize(const std::string& path, const KeptWindowSize& size) {
  const std::string text = FormatWindowSize(size);
  return WriteFileBytes(path, text.data(), text.size());
}

WindowAnchor AnchorOf(const Rect& r, int scoreBottom) {
  return r.top >= scoreBottom ? WindowAnchor::kBottomLeft : WindowAnchor::kTopLeft;
}

Rect FollowGrowth(const Rect& r, WindowAnchor anchor, int extraWidth, int extraHeight) {
  const int dx = std::max(extraWidth, 0);
  const int dy = std::max(extraHeight, 0);
  switch (anchor) {
    case WindowAnchor::kBottomLeft:
      return Rect{r.left, r.top + dy, r.right, r.bottom + dy};
    case WindowAnchor::kRightEdge:
      return Rect{r.left + dx, r.top, r.right + dx, r.bottom + dy};
    case WindowAnchor::kTopLeft:
      break;
  }
  return r;
}

}  // namespace kumoito
