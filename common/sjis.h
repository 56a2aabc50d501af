#pragma once
// Shift-JIS (code page 932) helpers. Texts inside score files and every text
// whose byte count matters stay CP932 bytes; they are converted only at the
// edges (screen, glyph lookup, report lines).
//
// Thread-safety: all functions are pure or use their own conversion state.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kumoito {

// First byte of a two-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The ideographic (full-width) blank in CP932.
inline constexpr unsigned char kSjisWideBlankLead = 0x81;
inline constexpr unsigned char kSjisWideBlankTrail = 0x40;

// Length of a NUL-terminated text inside a fixed field of n bytes: the text
// ends at the first NUL or at the end of the field.
inline std::size_t FieldLength(const char* field, std::size_t n) {
  std::size_t len = 0;
  while (len < n && field[len] != '\0') {
    ++len;
  }
  return len;
}

template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, FieldLength(field, N));
}

// Copies text into a fixed field of N bytes: at most N - 1 bytes, never
// splitting a two-byte character, always NUL-terminated. The bytes after the
// terminator are left as they were.
template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text);

std::size_t ClippedSjisLength(std::string_view text, std::size_t limit);

// Length of text once trailing blanks (ASCII and full-width) are removed,
// walking two-byte characters so that a trail byte 0x40 is never mistaken
// for a blank.
std::size_t SjisTrimmedLength(std::string_view text);

// Conversions through iconv. Invalid input gives nullopt.
std::optional<std::string> Cp932ToUtf8(std::string_view text);
std::optional<std::string> Utf8ToCp932(std::string_view text);

// Conversions for texts that must always show or store something (titles
// from other people's files, text typed into an edit box): each character
// that has no counterpart becomes U+FFFD or '?' instead of failing the whole
// text.
std::string Cp932ToUtf8Lenient(std::string_view text);
std::string Utf8ToCp932Lenient(std::string_view text);

template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  std::size_t len = ClippedSjisLength(text, N - 1);
  for (std::size_t i = 0; i < len; ++i) {
    field[i] = text[i];
  }
  field[len] = '\0';
}

}  // namespace kumoito
