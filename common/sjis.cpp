#include "common/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace kumoito {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  std::string out;
  out.resize(text.size() * 4 + 16);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  bool ok = true;
  while (inLeft > 0) {
    if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) {
        std::size_t used = static_cast<std::size_t>(outPtr - out.data());
        out.resize(out.size() * 2);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
        continue;
      }
      ok = false;
      break;
    }
  }
  ::iconv_close(cd);
  if (!ok) {
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(outPtr - out.data()));
  return out;
}

}  // namespace

std::size_t ClippedSjisLength(std::string_view text, std::size_t limit) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != '\0') {
    std::size_t step =
        (IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    if (i + step > limit) {
      break;
    }
    i += step;
  }
  return i;
}

std::size_t SjisTrimmedLength(std::string_view text) {
  std::size_t keep = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (IsSjisLeadByte(c) && i + 1 < text.size()) {
      bool wideBlank =
          c == kSjisWideBlankLead && static_cast<unsigned char>(text[i + 1]) == kSjisWideBlankTrail;
      i += 2;
      if (!wideBlank) {
        keep = i;
      }
      continue;
    }
    ++i;
    if (c != ' ') {
      keep = i;
    }
  }
  return keep;
}

std::optional<std::string> Cp932ToUtf8(std::string_view text) {
  return Convert("UTF-8", "CP932", text);
}

std::optional<std::string> Utf8ToCp932(std::string_view text) {
  return Convert("CP932", "UTF-8", text);
}

std::string Cp932ToUtf8Lenient(std::string_view text) {
  if (auto whole = Cp932ToUtf8(text)) {
    return *whole;
  }
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t step = (IsSjisLeadByte(c) && i + 1 < text.size()) ? 2 : 1;
    if (auto one = Cp932ToUtf8(text.substr(i, step))) {
      out += *one;
    } else {
      out += kReplacement;
    }
    i += step;
  }
  return out;
}

std::string Utf8ToCp932Lenient(std::string_view text) {
  if (auto whole = Utf8ToCp932(text)) {
    return *whole;
  }
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t step = 1;
    if (c >= 0xF0) {
      step = 4;
    } else if (c >= 0xE0) {
      step = 3;
    } else if (c >= 0xC0) {
      step = 2;
    }
    step = std::min(step, text.size() - i);
    if (auto one = Utf8ToCp932(text.substr(i, step))) {
      out += *one;
    } else {
      out += '?';
    }
    i += step;
  }
  return out;
}

}  // namespace kumoito
