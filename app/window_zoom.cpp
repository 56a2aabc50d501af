#include "app/window_zoom.h"

#include <algorithm>
#include <optional>

#include "common/file_util.h"
#include "common/settings_lines.h"
#include "render/scaled_canvas.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 1024;

bool IsStep(int percent) {
  return std::find(kZoomSteps.begin(), kZoomSteps.end(), percent) != kZoomSteps.end();
}

}  // namespace

int ParseZoomPercent(std::string_view text) {
  int percent = 100;
  ForEachSettingLine(text, [&percent](std::string_view name, std::string_view value) {
    std::int32_t v = 0;
    if (name == "percent" && ReadSettingNumber(value, v) && IsStep(v)) {
      percent = v;
    }
  });
  return percent;
}

std::string FormatZoomPercent(int percent) {
  return "percent=" + std::to_string(IsStep(percent) ? percent : 100) + "\n";
}

int LoadZoomPercent(const std::string& path) {
  const std::optional<std::string> text = ReadSettingsFile(path, kMaxFileBytes);
  return text ? ParseZoomPercent(*text) : 100;
}

bool SaveZoomPercent(const std::string& path, int percent) {
  const std::string text = FormatZoomPercent(percent);
  return WriteFileBytes(path, text.data(), text.size());
}

WindowZoom::WindowZoom(int clientWidth, int clientHeight)
    : m_clientWidth(clientWidth), m_clientHeight(clientHeight) {}

void WindowZoom::Load(const std::string& path) {
  m_path = path;
  m_chosen = path.empty() ? 100 : LoadZoomPercent(path);
}

void WindowZoom::SetRoom(int width, int height) {
  m_roomWidth = width;
  m_roomHeight = height;
}

bool WindowZoom::Fits(int percent) const {
  if (!IsStep(percent)) {
    return false;
  }
  if (percent == 100 || m_roomWidth < 0 || m_roomHeight < 0) {
    return true;
  }
  const double f = percent / 100.0;
  return ScaleEdge(m_clientWidth, f) <= m_roomWidth && ScaleEdge(m_clientHeight, f) <= m_roomHeight;
}

int WindowZoom::Current() const {
  int best = 100;
  for (int step : kZoomSteps) {
    if (step <= m_chosen && Fits(step)) {
      best = std::max(best, step);
    }
  }
  return best;
}

bool WindowZoom::Choose(int percent) {
  if (!Fits(percent)) {
    return false;
  }
  const int before = Current();
  if (percent != m_chosen) {
    m_chosen = percent;
    if (!m_path.empty()) {
      SaveZoomPercent(m_path, m_chosen);
    }
  }
  return Current() != before;
}

bool WindowZoom::ZoomIn() {
  const int current = Current();
  for (int step : kZoomSteps) {
    if (step > current && Fits(step)) {
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

int WindowZoom::Width() const {
  return ScaleEdge(m_clientWidth, Factor());
}

int WindowZoom::Height() const {
  return ScaleEdge(m_clientHeight, Factor());
}

Rect WindowZoom::Map(const Rect& r) const {
  return ScaleRect(r, Factor());
}

int WindowZoom::Unmap(int v) const {
  return UnscaleEdge(v, Factor());
}

}  // namespace kumoito
