#include "render/glyph_source.h"

#include <iconv.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "common/sjis.h"

namespace kumoito {
namespace {

// One conversion descriptor per thread: opening one costs more than
// converting a label.
class Cp932Decoder {
 public:
  Cp932Decoder() : m_cd(::iconv_open("UTF-32LE", "CP932")) {}
  ~Cp932Decoder() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) {
      ::iconv_close(m_cd);
    }
  }
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  // Code point of one character of 1 or 2 bytes, or U+FFFD.
  char32_t Decode(const char* bytes, std::size_t n) {
    if (n == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) {
      return static_cast<char32_t>(bytes[0]);
    }
    if (m_cd == reinterpret_cast<iconv_t>(-1)) {
      return U'\uFFFD';
    }
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = n;
    unsigned char out[8];
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    if (::iconv(m_cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        outLeft != sizeof out - 4) {
      return U'\uFFFD';
    }
    return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                                 (static_cast<std::uint32_t>(out[3]) << 24));
  }

 private:
  iconv_t m_cd;
};

bool IsHalfWidth(char32_t cp) {
  return cp < 0x100 || (cp >= 0xFF61 && cp <= 0xFF9F);
}

}  // namespace

// Two-byte characters decoded so far, by their code; labels repeat the same
// few characters on every refresh.
class Cp932Table {
 public:
  char32_t Get(const char* bytes, Cp932Decoder& decoder) {
    const std::size_t code =
        (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
    if (m_table.empty()) {
      m_table.assign(65536, kUnknown);
    }
    char32_t& cp = m_table[code];
    if (cp == kUnknown) {
      cp = decoder.Decode(bytes, 2);
    }
    return cp;
  }

 private:
  static constexpr char32_t kUnknown = 0xFFFFFFFF;
  std::vector<char32_t> m_table;
};

std::u32string DecodeCp932(std::string_view text) {
  thread_local Cp932Decoder decoder;
  thread_local Cp932Table table;
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const bool lead = IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    const std::size_t n = lead ? 2 : 1;
    out.push_back(lead ? table.Get(text.data() + i, decoder) : decoder.Decode(text.data() + i, 1));
    i += n;
  }
  return out;
}

const Glyph& FixedGlyphSource::GetGlyph(char32_t codePoint, int cellHeight) {
  cellHeight = std::max(cellHeight, 2);
  const bool wide = !IsHalfWidth(codePoint);
  const std::size_t index = static_cast<std::size_t>(cellHeight) * 2 + (wide ? 1 : 0);
  if (index >= m_cache.size()) {
    m_cache.resize(index + 1);
  }
  if (!m_cache[index]) {
    auto g = std::make_unique<Glyph>();
    g->advance = wide ? cellHeight : cellHeight / 2;
    g->left = 1;
    g->width = std::max(g->advance - 2, 0);
    g->top = Ascent(cellHeight);
    g->rows = g->top;
    g->coverage.assign(static_cast<std::size_t>(g->width) * g->rows, 255);
    m_cache[index] = std::move(g);
  }
  return *m_cache[index];
}

namespace {
std::atomic<GlyphSource*> g_override{nullptr};
}  // namespace

GlyphSource* SetDefaultGlyphSourceOverride(GlyphSource* source) {
  return g_override.exchange(source);
}

GlyphSource& DefaultGlyphSource() {
  if (GlyphSource* o = g_override.load()) {
    return *o;
  }
  static GlyphSource* source = [] {
    std::unique_ptr<GlyphSource> s = CreateFreeTypeGlyphSource("sans-serif:lang=ja");
    if (!s) {
      std::fputs("kumoito: no Japanese font found; text is drawn as boxes\n", stderr);
      s = std::make_unique<FixedGlyphSource>();
    }
    return s.release();  // lives as long as the process
  }();
  return *source;
}

}  // namespace kumoito
