#pragma once
// CScoreView: the score cells of the main window (6 rows of 8 measures, and
// more rows when a taller window has room for them), each an off-screen
// surface showing one measure as shamisen tablature:
// three string lines, bar lines, the kandokoro of every note or rest on the
// line of its string, note-value marks under it and the optional lyric. It
// also keeps the open strings and the pitch-to-position table they give.
//
// Thread-safety: GUI thread only (the export and batch mode run there too).

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/config_control.h"
#include "render/offscreen_control.h"
#include "render/raster_surface.h"
#include "song/tuning.h"

namespace kumoito {

class CSongData;

// The cells of the smallest window; a taller one adds rows up to the most.
inline constexpr int kScoreCellCount = 48;
inline constexpr int kScoreCellColumns = 8;
// Rows of 102 pixels beyond any screen's height at ratio 1.
inline constexpr int kMaxScoreRows = 48;
inline constexpr int kMaxScoreCellCount = kMaxScoreRows * kScoreCellColumns;
inline constexpr int kMaxCellEntries = 32;
inline constexpr int kKandokoroLabelCount = kKandokoroCount;
// Behind the kandokoro of the note that sounds while a song plays.
inline constexpr Color kCursorColor = Rgb(255, 196, 64);
inline constexpr std::int64_t kNoCursorSlot = -1;

// Where score cell i sits in the main window: 8 cells of 128 x 100 to a
// row, rows 102 pixels apart, from (10, 10), however many rows there are.
Rect ScoreCellRect(int i);

// kKandokoroTexts in CP932, as the cells draw them.
extern const std::array<std::string, kKandokoroLabelCount> kKandokoroLabels;

// One drawable note or rest of a cell.
struct CellEntry {
  double eighth = 0;           // eighth-note position in the measure
  std::int32_t string = 0;     // 0 first (lowest) string .. 2 third
  std::int32_t kandokoro = 0;  // row of kKandokoroLabels
  double length = 0;           // in eighth notes, a multiple of 0.5
  char lyric[16] = {};
  std::int64_t slot = -1;  // of the song: 3 x note cell + slot, as playback counts them
  // Marks (song/marks.h): a technique and a finger, drawn above the number
  // or (the technique) under its note-value bars; the places of the notes
  // struck with it (string -1: none).
  Technique technique = Technique::kNone;
  std::uint8_t finger = 0;
  bool marksAbove = false;
  std::array<PitchPlace, kMaxTogether> together{PitchPlace{-1, 0}, PitchPlace{-1, 0}};
  // What the slot says in 口三味線 (CP932), when the row is shown.
  char syllable[kMaxSyllableBytes + 1] = {};
};

// String and kandokoro of a slot value: a pitch's place, (1, 0) for a rest;
// for other negative values the string is 0 and kandokoro is left as it was.
void LookUpPosition(const PitchPlaceTable& places, std::int32_t slotValue, std::int32_t& string,
                    std::int32_t& kandokoro);

// Full-width digits and Latin letters become ASCII; everything else stays.
void ConvertToHalfWidth(std::string& cp932);

// Selects the label font of a cell height (12 or 14) and returns the font
// to select again after drawing.
Font SelectLabelFont(RasterSurface& surface, int height);

// A measure's repeat signs and ending, as its cell draws them.
struct MeasureDrawing {
  MeasureMarks marks;
  bool endingStarts = false;  // the bracket of its ending starts here (with its number)
};

// Repeat colons at the bar lines (and the count when more than twice), the
// ending's bracket over the cell, the measure-repeat sign in its middle.
void DrawMeasureMarks(Canvas& canvas, int w, const MeasureDrawing& measure);

// Draws one measure as a score cell of width w and height h: string and bar
// lines, then every entry's kandokoro, note-value marks, lyric and syllable;
// the entry of cursorSlot (its number and its syllable) on the cursor colour.
//
// The syllables have a row of their own under the lyrics' (y 87 to 99 of
// the 100-pixel cell), so both rows show without either overlapping and the
// cell keeps its size at every zoom. A syllable is clipped at the next
// one's column; where it would not fit whole it is sung short and drawn
// without its ン (ツン ツン at eighths: ツ ツ). Of entries sharing a column
// (the sixteenths of one half beat) the first syllable is drawn.
// The keyboard's cursor and selection inside one measure, in sixteenths
// from its start: a frame on the cursor's string at its sixteenth, a tint
// under the selected ones. -1: not in this measure.
struct KeyCursorDrawing {
  int cursor = -1;
  int string = 0;
  int selectFrom = -1;
  int selectTo = -1;  // not included; the measure's length: to its end
  int sixteenths = 16;
};
inline constexpr Color kKeyCursorColor = Rgb(32, 96, 224);
inline constexpr Color kSelectionColor = Rgb(204, 224, 255);

void DrawScoreCell(Canvas& canvas, int w, int h, const CellEntry* entries, int count,
                   std::int64_t cursorSlot = kNoCursorSlot, const KeyCursorDrawing* keys = nullptr);

class CScoreView {
 public:
  // (cell number, sixteenth column 0..15)
  using CellClickCallback = std::function<void(int cell, int column)>;

  CScoreView() = default;
  CScoreView(const CScoreView&) = delete;
  CScoreView& operator=(const CScoreView&) = delete;

  // Empties the group and adds cell 0; the open strings come from the tuning
  // and the first string's pitch. Returns the open strings.
  OpenStrings CreateScoreCells(COffScreenControl& control, const Rect& rect, int tuning,
                               std::int32_t basePitch, CellClickCallback onClick);
  // Up to kMaxScoreCellCount cells; further ones are not added.
  void AddScoreCell(COffScreenControl& control, const Rect& rect);
  // Presents the cells in use.
  void PresentAllCells();
  void ReleaseAllCells();
  // Off (a conversion, with no window to show them in), a cell is drawn only
  // when its picture is asked for (CellSurface), and never copied to its
  // control's screen: a conversion uses a few cells of the 48.
  void SetShownOnScreen(bool shown);
  bool ShownOnScreen() const { return m_shownOnScreen; }

  // New open strings (tuning or first string changed): the table follows.
  void SetOpenStrings(const OpenStrings& open);
  const OpenStrings& GetOpenStrings() const { return m_open; }
  const PitchPlaceTable& Places() const { return m_places; }

  // What the view shows: the song (none: empty cells) and the settings whose
  // lyrics switch it follows. Neither is owned.
  void SetSong(const CSongData* song) { m_song = song; }
  const CSongData* Song() const { return m_song; }
  const SettingsBlock* Settings() const { return m_settings; }
  void SetSettings(const SettingsBlock* settings) { m_settings = settings; }
  // The row of 口三味線 syllables under the strings; off until turned on.
  // Takes effect at the next refresh.
  void SetSyllablesShown(bool shown) { m_syllablesShown = shown; }
  bool SyllablesShown() const { return m_syllablesShown; }

  // Where technique marks are drawn: a song's own style wins over the
  // setting's, and a forced style (one conversion's option) over both.
  // kUnset as the setting means below. The cells follow at the next refresh.
  void SetTechniqueStyle(TechniqueStyle setting, TechniqueStyle forced = TechniqueStyle::kUnset) {
    m_styleSetting = setting;
    m_styleForced = forced;
  }
  TechniqueStyle TechniqueStyleInUse() const;

  int FirstShownMeasure() const { return m_firstShownMeasure; }
  void SetFirstShownMeasure(int measure) { m_firstShownMeasure = measure; }

  // Rebuilds the entries of the cells in use from the song, renders and
  // presents them.
  void RefreshScoreView();
  // The same for the first `cells` cells only (an export needs one row of
  // them); the others keep their pictures.
  void RefreshScoreView(int cells);
  void RenderScoreCell(int cell);
  // The same for the shown cells of measures [first, last] only: after an
  // edit that changed nothing else.
  void RefreshMeasures(int first, int last);
  // The drawable entries of a measure of the song (which must be set), as a
  // refresh gives them to the cell that shows it; returns their count.
  // The marks of a slot holding value into its entry: the player's string,
  // the notes struck with it, technique, finger and style.
  void AddMarks(const NoteMarks& marks, std::int32_t value, CellEntry& e) const;
  // The repeat signs and ending of a measure of the song (none outside it).
  MeasureDrawing MeasureDrawingOf(int measure) const;
  int CollectMeasure(int measure, std::array<CellEntry, kMaxCellEntries>& entries) const {
    return CollectMeasure(measure, entries, m_syllablesShown);
  }
  // The same with or without the syllables, whatever the view shows.
  int CollectMeasure(int measure, std::array<CellEntry, kMaxCellEntries>& entries,
                     bool syllables) const;

  // The note at the song's slot is drawn on the cursor colour (kNoCursorSlot:
  // none). Only the cells that change are drawn again and presented.
  void SetCursorSlot(std::int64_t slot);
  std::int64_t CursorSlot() const { return m_cursorSlot; }
  // The measure (from 0) that holds the slot; -1 without a song.
  int MeasureOfSlot(std::int64_t slot) const;

  // The keyboard's cursor at a sixteenth of the song (-1: none) on a
  // string, and the selected sixteenths [selectFrom, selectTo) (empty:
  // none). The cells that change are drawn again and presented, unless the
  // caller refreshes the view next.
  void SetKeyCursor(int position, int string, int selectFrom, int selectTo, bool redraw = true);
  int KeyCursorPosition() const { return m_keyCursor; }
  // Off (a picture for a file), the keyboard's marks are not drawn; takes
  // effect at the next drawing.
  void SetKeyCursorShown(bool shown) { m_keyCursorShown = shown; }
  bool KeyCursorShown() const { return m_keyCursorShown; }
  // The string (0 一の糸 .. 2 三の糸) nearest the height of the last press on a cell.
  int LastPressString() const { return m_lastPressString; }

  // Pictures at this many pixels per layout pixel (a screen's device pixel
  // ratio); clicks stay in layout pixels. The cells are drawn again.
  void SetScale(double scale);
  double Scale() const { return m_scale; }

  int CellCount() const { return m_count; }
  // The first `cells` cells are the ones a window can see (all of them
  // until told): only they are drawn, so that a zoomed or smaller score
  // draws no more than it shows. Cells that come into use are filled and
  // presented at once; the others keep their last pictures unseen.
  void SetCellsInUse(int cells);
  int CellsInUse() const { return m_inUse < 0 ? m_count : std::min(m_inUse, m_count); }
  int EntryCount(int cell) const { return m_cells[cell].entryCount; }
  const CellEntry& Entry(int cell, int index) const { return m_cells[cell].entries[index]; }
  // The cell's surface, its picture drawn.
  const Surface* CellSurface(int cell) const;

 private:
  struct Cell {
    std::unique_ptr<Surface> surface;
    int entryCount = 0;
    std::array<CellEntry, kMaxCellEntries> entries;
    MeasureDrawing measure;
    // The picture lags behind the entries: drawing was deferred off screen,
    // or the picture went to the screen.
    mutable bool stale = false;
  };

  void OnCellPress(int x, int y, int id);
  // Draws the cell's picture from its entries; its pixels are made first.
  void DrawCell(int index) const;
  void DrawIfStale(int index) const;
  void PresentCell(int index);
  double SlotLength(int noteCell, int slot) const;
  // The entries of cells [from, to) from the song and the first shown
  // measure; no song leaves them empty.
  void CollectCells(int from, int to);

  std::vector<Cell> m_cells;
  int m_count = 0;
  int m_inUse = -1;  // -1: every cell
  bool m_shownOnScreen = true;
  double m_scale = 1.0;
  OpenStrings m_open{};
  PitchPlaceTable m_places{};
  CellClickCallback m_onClick;
  const CSongData* m_song = nullptr;
  const SettingsBlock* m_settings = nullptr;
  int m_firstShownMeasure = 0;
  TechniqueStyle m_styleSetting = TechniqueStyle::kBelow;
  TechniqueStyle m_styleForced = TechniqueStyle::kUnset;
  std::int64_t m_cursorSlot = kNoCursorSlot;
  bool m_syllablesShown = false;
  int m_keyCursor = -1;
  bool m_keyCursorShown = true;
  int m_lastPressString = 0;
  int m_keyString = 0;
  int m_selectFrom = 0;
  int m_selectTo = 0;
  // What the keyboard's marks look like in the cell showing measure.
  KeyCursorDrawing KeyDrawingOf(int measure) const;
  // Draws again the shown cells of measures [from, to].
  void RedrawMeasures(int from, int to);
};

}  // namespace kumoito
