#include "common/settings_lines.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "common/file_util.h"

namespace kumoito {

void ForEachSettingLine(std::string_view text,
                        const std::function<void(std::string_view, std::string_view)>& visit) {
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      visit(line.substr(0, eq), line.substr(eq + 1));
    }
  }
}

bool ReadSettingNumber(std::string_view text, std::int32_t& value) {
  std::int32_t v = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size()) {
    return false;
  }
  value = v;
  return true;
}

std::optional<std::string> ReadSettingsFile(const std::string& path, std::size_t maxBytes) {
  if (!FileExists(path)) {
    return std::nullopt;
  }
  std::vector<char> bytes(maxBytes);
  std::size_t count = 0;
  if (!ReadFileBytes(path, bytes.data(), bytes.size(), count)) {
    return std::nullopt;
  }
  return std::string(bytes.data(), std::min(count, bytes.size()));
}

}  // namespace kumoito
