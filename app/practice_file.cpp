#include "app/practice_file.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "common/file_util.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 4096;
constexpr std::int32_t kMaxMeasure = 1024;

bool ReadNumber(std::string_view text, std::int32_t& value) {
  std::int32_t v = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size()) {
    return false;
  }
  value = v;
  return true;
}

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
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      continue;
    }
    const std::string_view name = line.substr(0, eq);
    std::int32_t v = 0;
    if (!ReadNumber(line.substr(eq + 1), v)) {
      continue;
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
  }
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
  if (!FileExists(path)) {
    return midi::PracticeSettings{};
  }
  std::vector<char> bytes(kMaxFileBytes);
  std::size_t count = 0;
  if (!ReadFileBytes(path, bytes.data(), bytes.size(), count)) {
    return midi::PracticeSettings{};
  }
  return ParsePracticeSettings(std::string_view(bytes.data(), std::min(count, bytes.size())));
}

bool SavePracticeSettings(const std::string& path, const midi::PracticeSettings& practice) {
  const std::string text = FormatPracticeSettings(practice);
  return WriteFileBytes(path, text.data(), text.size());
}

}  // namespace kumoito
