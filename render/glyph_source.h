#pragma once
// Where text pixels come from. The program uses the system's Japanese font
// through FreeType; tests that check exact pixels use FixedGlyphSource, whose
// glyphs are plain boxes of known size.
//
// Thread-safety: a glyph source caches glyphs and must be used by one thread
// at a time (the GUI thread, or the batch run).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

// A rendered glyph: coverage 0..255 per pixel, placed relative to the pen
// position on the baseline.
struct Glyph {
  int width = 0;
  int rows = 0;
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int advance = 0;  // pen movement in pixels
  std::vector<std::uint8_t> coverage;
};

// Where a source's glyphs come from, for back ends that draw text with the
// font file itself (PDF, SVG): its family, file and face index, and the em
// size of a cell height (the cell is ascent + descent, not the em).
struct FaceInfo {
  std::string family;
  std::string file;
  int index = 0;
  double emPerCell = 1.0;
};

class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // Glyph of a Unicode code point at a cell height (ascent + descent) in
  // pixels. The reference stays valid as long as the source.
  virtual const Glyph& GetGlyph(char32_t codePoint, int cellHeight) = 0;
  // Baseline distance from the top of a cell of that height.
  virtual int Ascent(int cellHeight) = 0;
  // A short name of the face, for logs and notes.
  virtual std::string Name() const = 0;
  // The face as a file; an empty file when the glyphs are made in code.
  virtual FaceInfo Face() const { return FaceInfo{"sans-serif", {}, 0, 1.0}; }
};

// The file fontconfig picks for a pattern such as "sans-serif:lang=ja" or
// ":charset=2669"; empty file when none matches.
FaceInfo MatchFontFace(const std::string& pattern);

// The process-wide default: the font fontconfig picks for
// "sans-serif:lang=ja", or FixedGlyphSource when no font can be loaded.
GlyphSource& DefaultGlyphSource();

// Replaces what DefaultGlyphSource() returns (nullptr restores the font) and
// hands back the previous override. For tests that need exact glyph pixels.
GlyphSource* SetDefaultGlyphSourceOverride(GlyphSource* source);

// Code points of a CP932 text; bytes that are no CP932 character become
// U+FFFD, so that every byte of the text is accounted for.
std::u32string DecodeCp932(std::string_view text);

// Deterministic glyphs: a half-width character is cellHeight / 2 wide, any
// other cellHeight wide; its ink is a filled box one pixel inside its cell,
// from the top of the cell to the baseline. Ascent is cellHeight * 5 / 6.
class FixedGlyphSource final : public GlyphSource {
 public:
  const Glyph& GetGlyph(char32_t codePoint, int cellHeight) override;
  int Ascent(int cellHeight) override { return cellHeight * 5 / 6; }
  std::string Name() const override { return "fixed boxes"; }

 private:
  std::vector<std::unique_ptr<Glyph>> m_cache;  // indexed by cellHeight * 2 + wide
};

// Creates the FreeType source for the font file fontconfig picks for the
// pattern; nullptr when none can be loaded.
std::unique_ptr<GlyphSource> CreateFreeTypeGlyphSource(const std::string& pattern);

}  // namespace kumoito
