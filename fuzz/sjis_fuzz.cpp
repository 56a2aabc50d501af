// libFuzzer entry for the CP932 helpers. The input is taken both as CP932
// and as UTF-8 text, converted both ways, strictly and leniently, and stored
// in fields of the sizes the song uses.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "common/sjis.h"
#include "fuzz/fuzz_support.h"
#include "song/song_data.h"

namespace {

using namespace kumoito;

// Well-formed UTF-8 as the screen takes it: shortest forms, no surrogates,
// nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    std::uint32_t v = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1, v = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2, v = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3, v = c & 0x07;
    } else {
      return false;
    }
    if (text.size() - i <= n) {
      return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) {
        return false;
      }
      v = (v << 6) | (t & 0x3F);
    }
    if ((n == 2 && v < 0x800) || (n == 3 && (v < 0x10000 || v > 0x10FFFF)) ||
        (v >= 0xD800 && v <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

// Walks text as CP932 the way the helpers do and says whether the first n
// bytes end on a character boundary.
bool EndsOnCharacter(std::string_view text, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    const bool lead = IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    i += lead ? 2 : 1;
  }
  return i == n;
}

template <std::size_t N>
void CheckField(std::string_view text) {
  char field[N];
  std::memset(field, 'x', N);
  SetFieldText(field, text);
  const std::string_view stored = FieldText(field);
  const std::size_t clipped = ClippedSjisLength(text, N - 1);
  KUMOITO_FUZZ_CHECK(clipped <= N - 1);
  KUMOITO_FUZZ_CHECK(field[clipped] == '\0');
  KUMOITO_FUZZ_CHECK(EndsOnCharacter(text, clipped));
  KUMOITO_FUZZ_CHECK(std::memcmp(field, text.data(), clipped) == 0);
  // What the field gives back is the text it was given, cut.
  KUMOITO_FUZZ_CHECK(stored == text.substr(0, stored.size()));
  KUMOITO_FUZZ_CHECK(stored.size() <= clipped);

  // A field filled from a file need not hold a NUL at all.
  char raw[N];
  const std::size_t n = std::min(N, text.size());
  std::memset(raw, 0, N);
  std::memcpy(raw, text.data(), n);
  const std::string_view read = FieldText(raw);
  KUMOITO_FUZZ_CHECK(read.size() <= N);
  KUMOITO_FUZZ_CHECK(read == std::string_view(raw, FieldLength(raw, N)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::optional<std::string> utf8 = Cp932ToUtf8(text);
  if (utf8) {
    KUMOITO_FUZZ_CHECK(IsUtf8(*utf8));
    // Whatever CP932 turned into can be stored as CP932 again.
    KUMOITO_FUZZ_CHECK(Utf8ToCp932(*utf8).has_value());
  }
  const std::string shown = Cp932ToUtf8Lenient(text);
  KUMOITO_FUZZ_CHECK(IsUtf8(shown));
  if (utf8) {
    KUMOITO_FUZZ_CHECK(shown == *utf8);
  }

  const std::optional<std::string> cp932 = Utf8ToCp932(text);
  if (cp932) {
    KUMOITO_FUZZ_CHECK(Cp932ToUtf8(*cp932).has_value());
  }
  const std::string stored = Utf8ToCp932Lenient(text);
  // Text typed in is stored as CP932 and shown again later.
  KUMOITO_FUZZ_CHECK(Cp932ToUtf8(stored).has_value());
  if (cp932) {
    KUMOITO_FUZZ_CHECK(stored == *cp932);
  }

  const std::size_t trimmed = SjisTrimmedLength(text);
  KUMOITO_FUZZ_CHECK(trimmed <= size);
  KUMOITO_FUZZ_CHECK(SjisTrimmedLength(text.substr(0, trimmed)) == trimmed);

  // Lyrics and chords, the key name, the info texts and the free text.
  CheckField<kLyricFieldSize>(text);
  CheckField<sizeof(CSongData::m_keyName)>(text);
  CheckField<sizeof(SongInfo::title)>(text);
  CheckField<sizeof(SongInfo::composerSub)>(text);
  CheckField<kFreeTextSize>(text);
  return 0;
}
