#include "app/window_zoom.h"

#include <algorithm>
#include <optional>

#include "common/file_util.h"
#include "common/settings_lines.h"
#include "render/scaled_canvas.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 1024;

}  // namespace

bool WindowZoom::IsStep(int percent) {
  return std::find(kZoomSteps.begin(), kZoomSteps.end(), percent) != kZoomSteps.end();
}

int ParseZoomPercent(std::string_view text) {
  int percent = 100;
  ForEachSettingLine(text, [&percent](std::string_view name, std::string_view value) {
    std::int32_t v = 0;
    if (name == "percent" && ReadSettingNumber(value, v) && WindowZoom::IsStep(v)) {
      percent = v;
    }
  });
  return percent;
}

std::string FormatZoomPercent(int percent) {
  return "percent=" + std::to_string(WindowZoom::IsStep(percent) ? percent : 100) + "\n";
}

int LoadZoomPercent(const std::string& path) {
  const std::optional<std::string> text = ReadSettingsFile(path, kMaxFileBytes);
  return text ? ParseZoomPercent(*text) : 100;
}

bool SaveZoomPercent(const std::string& path, int percent) {
  const std::string text = FormatZoomPercent(percent);
  return WriteFileBytes(path, text.data(), text.size());
}

void WindowZoom::Load(const std::string& path) {
  m_path = path;
  m_chosen = path.empty() ? 100 : LoadZoomPercent(path);
}

bool WindowZoom::Choose(int percent) {
  if (!IsStep(percent) || percent == m_chosen) {
    return false;
  }
  m_chosen = percent;
  if (!m_path.empty()) {
    SaveZoomPercent(m_path, m_chosen);
  }
  return true;
}

bool WindowZoom::ZoomIn() {
  const int current = Current();
  for (int step : kZoomSteps) {
    if (step > current) {
      return Choose(step);
    }
  }
  return false;
}

bool WindowZoom::ZoomOut() {
  const int current = Current();
  for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it) {
    if (*it < current) {
      return Choose(*it);
    }
  }
  return false;
}

int WindowZoom::MapEdge(int v) const {
  return ScaleEdge(v, Factor());
}

Rect WindowZoom::Map(const Rect& r) const {
  return ScaleRect(r, Factor());
}

int WindowZoom::Unmap(int v) const {
  return UnscaleEdge(v, Factor());
}

}  // namespace kumoito
