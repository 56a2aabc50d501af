#include "app/practice_file.h"

#include <algorithm>
#include <optional>

#include "common/file_util.h"
#include "common/settings_lines.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 4096;
constexpr std::int32_t kMaxMeasure = 1024;

}  // namespace

midi::PracticeSettings ValidPracticeSettings(midi::PracticeSettings p) {
  const std::int32_t step = midi::kSpeedStep;
  p.speed = std::clamp(p.speed, midi::kMinSpeed, midi::kMaxSpeed);
  p.speed = (p.speed + step / 2) / step * step;
  p.loopFirstMeasure = std::clamp(p.loopFirstMeasure, 1, kMaxMeasure);
  p.loopLastMeasure = std::clamp(p.loopLastMeasure, p.loopFirstMeasure, kMaxMeasure);
  return p;
}

midi::PracticeSettings ParsePracticeSettings(std::string_view text) {
  midi::PracticeSettings p;
  ForEachSettingLine(text, [&p](std::string_view name, std::string_view value) {
    std::int32_t v = 0;
    if (!ReadSettingNumber(value, v)) {
      return;
    }
    if (name == "speed") {
      p.speed = v;
    } else if (name == "loop") {
      p.loop = v != 0;
    } else if (name == "loop_first") {
      p.loopFirstMeasure = v;
    } else if (name == "loop_last") {
      p.loopLastMeasure = v;
    } else if (name == "count_in") {
      p.countIn = v != 0;
    }
  });
  return ValidPracticeSettings(p);
}

std::string FormatPracticeSettings(const midi::PracticeSettings& practice) {
  const midi::PracticeSettings p = ValidPracticeSettings(practice);
  return "speed=" + std::to_string(p.speed) + "\nloop=" + (p.loop ? "1" : "0") +
         "\nloop_first=" + std::to_string(p.loopFirstMeasure) +
         "\nloop_last=" + std::to_string(p.loopLastMeasure) +
         "\ncount_in=" + (p.countIn ? "1" : "0") + "\n";
}

midi::PracticeSettings LoadPracticeSettings(const std::string& path) {
  const std::optional<std::string> text = ReadSettingsFile(path, kMaxFileBytes);
  return text ? ParsePracticeSettings(*text) : midi::PracticeSettings{};
}

bool SavePracticeSettings(const std::string& path, const midi::PracticeSettings& practice) {
  const std::string text = FormatPracticeSettings(practice);
  return WriteFileBytes(path, text.data(), text.size());
}

}  // namespace kumoito
