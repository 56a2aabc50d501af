// FreeType glyphs for the face fontconfig picks (remembered between
// processes by the font match cache). Sizes follow the window
// system's convention that a requested height is the cell height (ascent +
// descent), so a 12-pixel label font is smaller than a 12-pixel em.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <optional>
#include <unordered_map>

#include "common/file_util.h"
#include "render/font_match_cache.h"
#include "render/glyph_source.h"

namespace kumoito {
namespace {

std::optional<FontLocation> MatchFontFile(const std::string& pattern) {
  std::optional<FontLocation> found;
  // A configuration of our own, destroyed after the match: the library's
  // global one would stay allocated until the process ends.
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) {
    return found;
  }
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (pat == nullptr) {
    FcConfigDestroy(config);
    return found;
  }
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pat, &result);
  if (match != nullptr) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
      int i = 0;
      found = FontLocation{reinterpret_cast<const char*>(path),
                           FcPatternGetInteger(match, FC_INDEX, 0, &i) == FcResultMatch ? i : 0};
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  FcConfigDestroy(config);
  return found;
}

class FreeTypeGlyphSource final : public GlyphSource {
 public:
  FreeTypeGlyphSource(FT_Library library, FT_Face face, std::string name, FaceInfo info)
      : m_library(library), m_face(face), m_name(std::move(name)), m_info(std::move(info)) {
    // The cell is the face's Windows ascent + descent when it has them.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
      m_ascentUnits = os2->usWinAscent;
      m_cellUnits = os2->usWinAscent + os2->usWinDescent;
    } else {
      m_ascentUnits = face->ascender;
      m_cellUnits = face->ascender - face->descender;
    }
    if (m_cellUnits <= 0) {
      m_ascentUnits = face->units_per_EM * 4 / 5;
      m_cellUnits = face->units_per_EM;
    }
    m_info.emPerCell = static_cast<double>(face->units_per_EM) / m_cellUnits;
  }
  ~FreeTypeGlyphSource() override {
    FT_Done_Face(m_face);
    FT_Done_FreeType(m_library);
  }

  const Glyph& GetGlyph(char32_t codePoint, int cellHeight) override {
    const std::uint64_t key = (static_cast<std::uint64_t>(cellHeight) << 32) | codePoint;
    auto it = m_cache.find(key);
    if (it != m_cache.end()) {
      return it->second;
    }
    Glyph& g = m_cache[key];
    SetCellHeight(cellHeight);
    const FT_UInt index = FT_Get_Char_Index(m_face, codePoint);
    if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0 ||
        FT_Render_Glyph(m_face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
      g.advance = cellHeight / 2;
      return g;
    }
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.coverage.resize(static_cast<std::size_t>(g.width) * g.rows);
    for (int row = 0; row < g.rows; ++row) {
      const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
      std::copy(src, src + g.width,
                g.coverage.begin() + static_cast<std::ptrdiff_t>(row) * g.width);
    }
    return g;
  }

  int Ascent(int cellHeight) override {
    return static_cast<int>(
        std::lround(static_cast<double>(cellHeight) * m_ascentUnits / m_cellUnits));
  }

  std::string Name() const override { return m_name; }
  FaceInfo Face() const override { return m_info; }

 private:
  void SetCellHeight(int cellHeight) {
    if (cellHeight == m_currentHeight) {
      return;
    }
    // Em size in 26.6 pixels that makes the cell cellHeight pixels tall.
    const FT_F26Dot6 em = static_cast<FT_F26Dot6>(
        std::lround(64.0 * cellHeight * m_face->units_per_EM / m_cellUnits));
    FT_Set_Char_Size(m_face, 0, em, 72, 72);
    m_currentHeight = cellHeight;
  }

  FT_Library m_library;
  FT_Face m_face;
  std::string m_name;
  FaceInfo m_info;
  long m_ascentUnits = 0;
  long m_cellUnits = 0;
  int m_currentHeight = -1;
  std::unordered_map<std::uint64_t, Glyph> m_cache;
};

}  // namespace

FaceInfo MatchFontFace(const std::string& pattern) {
  FaceInfo info;
  const std::optional<FontLocation> at = MatchFontFile(pattern);
  if (!at) {
    return info;
  }
  info.file = at->file;
  info.index = at->index;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    return info;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, info.file.c_str(), info.index, &face) == 0) {
    info.family = face->family_name != nullptr ? face->family_name : "";
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return info;
}

std::unique_ptr<GlyphSource> CreateFreeTypeGlyphSource(const std::string& pattern) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    return nullptr;
  }
  const auto open = [library](const FontLocation& at) {
    FT_Face face = nullptr;
    return FT_New_Face(library, at.file.c_str(), at.index, &face) == 0 ? face : nullptr;
  };
  const std::string cacheFile = JoinPath(GetCacheFolder(), "font-match");
  const FontWatchList watched = FontconfigWatchList();
  std::optional<FontLocation> at = LoadFontMatch(cacheFile, pattern, watched);
  FT_Face face = at ? open(*at) : nullptr;
  if (face == nullptr) {
    at = MatchFontFile(pattern);
    face = at ? open(*at) : nullptr;
    if (face != nullptr) {
      StoreFontMatch(cacheFile, pattern, *at, watched);
    }
  }
  if (face == nullptr) {
    FT_Done_FreeType(library);
    return nullptr;
  }
  std::string name = face->family_name != nullptr ? face->family_name : at->file;
  FaceInfo info{name, at->file, at->index, 1.0};
  return std::make_unique<FreeTypeGlyphSource>(library, face, name + " (" + at->file + ")",
                                               std::move(info));
}

}  // namespace kumoito
