#pragma once
// Fixtures for drawing tests: boxes instead of glyphs, so that pixels are
// exact, and a score view of 48 cells laid out as the main window lays them.

#include <memory>
#include <vector>

#include "render/glyph_source.h"
#include "render/offscreen_control.h"
#include "render/score_view.h"

namespace kumoito::test {

// Replaces the font with FixedGlyphSource while it lives.
class ScopedFixedGlyphs {
 public:
  ScopedFixedGlyphs() : m_previous(SetDefaultGlyphSourceOverride(&m_glyphs)) {}
  ~ScopedFixedGlyphs() { SetDefaultGlyphSourceOverride(m_previous); }
  FixedGlyphSource& glyphs() { return m_glyphs; }

 private:
  FixedGlyphSource m_glyphs;
  GlyphSource* m_previous;
};

struct ViewFixture {
  explicit ViewFixture(int tuning = 0, int basePitch = 48) {
    for (int i = 0; i < kScoreCellCount + 1; ++i) {
      controls.push_back(std::make_unique<COffScreenControl>());
    }
    view.CreateScoreCells(*controls[0], ScoreCellRect(0), tuning, basePitch,
                          [this](int cell, int column) {
                            clicks.push_back({cell, column});
                          });
    controls[0]->m_id = 0;
    for (int i = 1; i < kScoreCellCount; ++i) {
      view.AddScoreCell(*controls[i], ScoreCellRect(i));
      controls[i]->m_id = i;
    }
    view.SetSettings(&settings);
  }
  COffScreenControl& titleControl() { return *controls[kScoreCellCount]; }

  ScopedFixedGlyphs glyphs;
  std::vector<std::unique_ptr<COffScreenControl>> controls;
  CScoreView view;
  SettingsBlock settings = kDefaultSettings;
  std::vector<std::pair<int, int>> clicks;
};

}  // namespace kumoito::test
