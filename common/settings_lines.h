#pragma once
// The small settings files kept beside setup.ini (practice.ini, zoom.ini):
// one "name=value" a line, LF or CRLF; lines without '=' are passed over.
//
// Thread-safety: pure functions, apart from the file read.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kumoito {

// Calls visit(name, value) for each line, in file order; the value is all
// after the first '='.
void ForEachSettingLine(std::string_view text,
                        const std::function<void(std::string_view, std::string_view)>& visit);

// The whole text as a decimal number; false (value untouched) otherwise.
bool ReadSettingNumber(std::string_view text, std::int32_t& value);

// At most maxBytes of the file; nullopt when it is missing or unreadable.
std::optional<std::string> ReadSettingsFile(const std::string& path, std::size_t maxBytes);

}  // namespace kumoito
