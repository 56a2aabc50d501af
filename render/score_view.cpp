#include "render/score_view.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/sjis.h"
#include "render/scaled_canvas.h"
#include "song/kuchijamisen.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr int kStringLineTop = 20;  // third string
constexpr int kStringLineGap = 20;
constexpr int kStringLineBottom = 60;  // first string
constexpr int kLyricTop = 70;
constexpr int kLyricBottom = 86;
constexpr int kSyllableTop = 87;
constexpr int kSyllableBottom = 99;
constexpr int kSyllableFont = 10;
// "ン", left off a syllable that has no room for it.
constexpr std::string_view kSyllableN = "\x83\x93";
constexpr int kColumnCount = 16;
// "ー", the mark that ends a note of a half note or longer.
constexpr std::string_view kLongMark = "\x81\x5B";

// The marks' texts (CP932) and where they go beside a number's box.
constexpr int kMarkFont = 9;
constexpr int kMarkHeight = 9;
constexpr int kFingerFont = 8;

std::string_view TechniqueText(Technique t, bool above) {
  switch (t) {
    case Technique::kSukui:
      return above ? "v" : "\x83\x58";  // ス
    case Technique::kHajiki:
      return above ? "^" : "\x83\x6E";  // ハ
    case Technique::kUchi:
      return "\x83\x45";  // ウ
    case Technique::kOshi:
      return "\x83\x49";  // オ
    case Technique::kKeshi:
      return "\x83\x50";  // ケ
    case Technique::kSuriUp:
    case Technique::kSuriDown:
      return "\x83\x58\x83\x8A";  // スリ
    case Technique::kNone:
      break;
  }
  return {};
}

std::string_view FingerText(int finger) {
  static constexpr std::string_view kFingers[] = {"", "I", "II", "III"};
  return finger >= 1 && finger <= kMaxFinger ? kFingers[finger] : std::string_view{};
}

void DrawSmallText(Canvas& s, std::string_view text, const Rect& box, int size) {
  const Font previous = s.SelectFont(Font{size});
  s.SetBackgroundMode(BackgroundMode::kTransparent);
  s.DrawTextInBox(text, box);
  s.SetBackgroundMode(BackgroundMode::kOpaque);
  s.SelectFont(previous);
}

std::array<std::string, kKandokoroLabelCount> MakeLabels() {
  std::array<std::string, kKandokoroLabelCount> labels;
  for (int i = 0; i < kKandokoroLabelCount; ++i) {
    labels[i] = Utf8ToCp932(kKandokoroTexts[i]).value_or("?");
  }
  return labels;
}

}  // namespace

const std::array<std::string, kKandokoroLabelCount> kKandokoroLabels = MakeLabels();

Rect ScoreCellRect(int i) {
  const int left = 10 + 128 * (i % kScoreCellColumns);
  const int top = 10 + 102 * (i / kScoreCellColumns);
  return Rect{left, top, left + 128, top + 100};
}

void LookUpPosition(const PitchPlaceTable& places, std::int32_t slotValue, std::int32_t& string,
                    std::int32_t& kandokoro) {
  if (slotValue >= 0 && slotValue <= kMaxPitch) {
    string = places[slotValue].string;
    kandokoro = places[slotValue].position;
  } else if (slotValue == SLOT_REST) {
    string = 1;
    kandokoro = 0;
  } else {
    string = 0;
  }
}

void ConvertToHalfWidth(std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!IsSjisLeadByte(lead) || i + 1 >= text.size()) {
      out.push_back(text[i]);
      ++i;
      continue;
    }
    const int code = (lead << 8) | static_cast<unsigned char>(text[i + 1]);
    if (code >= 0x824F && code <= 0x8258) {
      out.push_back(static_cast<char>('0' + (code - 0x824F)));
    } else if (code >= 0x8260 && code <= 0x8279) {
      out.push_back(static_cast<char>('A' + (code - 0x8260)));
    } else if (code >= 0x8281 && code <= 0x829A) {
      out.push_back(static_cast<char>('a' + (code - 0x8281)));
    } else {
      out.append(text, i, 2);
    }
    i += 2;
  }
  text = std::move(out);
}

Font SelectLabelFont(RasterSurface& surface, int height) {
  return surface.SelectFont(Font{height});
}

OpenStrings CScoreView::CreateScoreCells(COffScreenControl& control, const Rect& rect, int tuning,
                                         std::int32_t basePitch, CellClickCallback onClick) {
  ReleaseAllCells();
  const auto& intervals = kTuningTable[ValidTuningIndex(tuning)].intervals;
  SetOpenStrings(
      OpenStrings{basePitch + intervals[0], basePitch + intervals[1], basePitch + intervals[2]});
  m_onClick = std::move(onClick);
  AddScoreCell(control, rect);
  return m_open;
}

void CScoreView::AddScoreCell(COffScreenControl& control, const Rect& rect) {
  if (m_count >= kMaxScoreCellCount) {
    return;
  }
  Cell& cell = m_cells.emplace_back();
  cell.surface = AttachSurface(
      control, rect, [this](int x, int y, int id) { OnCellPress(x, y, id); }, nullptr,
      SurfacePixels::kOnFirstDraw);
  cell.entryCount = 0;
  cell.surface->scale = m_scale;
  RenderScoreCell(m_count);
  ++m_count;
}

void CScoreView::PresentAllCells() {
  const int inUse = CellsInUse();
  for (int i = 0; i < inUse; ++i) {
    PresentCell(i);
  }
}

void CScoreView::PresentCell(int index) {
  Cell& cell = m_cells[index];
  if (!cell.surface) {
    return;
  }
  DrawIfStale(index);
  // A cell is drawn whole every time: its pixels go to the screen without a
  // copy, and what comes back is drawn again before anyone reads it.
  PresentByExchange(*cell.surface);
  cell.stale = true;
}

void CScoreView::ReleaseAllCells() {
  for (Cell& cell : m_cells) {
    if (cell.surface && cell.surface->control != nullptr) {
      cell.surface->control->m_onPress = nullptr;
    }
    cell.surface.reset();
  }
  m_cells.clear();
  m_count = 0;
}

void CScoreView::SetShownOnScreen(bool shown) {
  // Cells left undrawn are drawn when presented or asked for.
  m_shownOnScreen = shown;
}

const Surface* CScoreView::CellSurface(int cell) const {
  DrawIfStale(cell);
  return m_cells[cell].surface.get();
}

void CScoreView::SetOpenStrings(const OpenStrings& open) {
  m_open = open;
  m_places = BuildPitchPlaces(open);
}

void CScoreView::OnCellPress(int x, int y, int id) {
  if (id < 0 || id >= m_count || !m_onClick) {
    return;
  }
  // Halfway between the lines: above 30 the third string, below 50 the first.
  m_lastPressString = y < kStringLineTop + kStringLineGap / 2      ? 2
                      : y < kStringLineBottom - kStringLineGap / 2 ? 1
                                                                   : 0;
  const int columnWidth = m_cells[id].surface->width / kColumnCount;
  if (columnWidth <= 0) {
    return;
  }
  m_onClick(id, x / columnWidth);
}

double CScoreView::SlotLength(int noteCell, int slot) const {
  // Sixteenth slots 0 and 1 of consecutive cells; slot 2 is never walked.
  // The walk starts after the entry's own slot and may cross bar lines.
  std::int64_t i = slot == 0 ? static_cast<std::int64_t>(noteCell) * 2 + 1
                             : static_cast<std::int64_t>(noteCell + 1) * 2;
  double length = 0.5;
  for (; i < static_cast<std::int64_t>(kMaxCells) * 2; ++i) {
    if (m_song->m_cells[i / 2].pitch[i % 2] != SLOT_HOLD) {
      break;
    }
    length += 0.5;
  }
  return length;
}

TechniqueStyle CScoreView::TechniqueStyleInUse() const {
  if (m_styleForced != TechniqueStyle::kUnset) {
    return m_styleForced;
  }
  if (m_song != nullptr && m_song->m_marks.style != TechniqueStyle::kUnset) {
    return m_song->m_marks.style;
  }
  return m_styleSetting == TechniqueStyle::kAbove ? TechniqueStyle::kAbove : TechniqueStyle::kBelow;
}

void CScoreView::AddMarks(const NoteMarks& marks, std::int32_t value, CellEntry& e) const {
  e.marksAbove = TechniqueStyleInUse() == TechniqueStyle::kAbove;
  e.technique = marks.technique;
  if (value < 0) {
    return;  // a rest carries ケシ at most
  }
  e.finger = marks.finger;
  const PitchPlace place = PlaceOfMarkedNote(m_places, m_open, value, marks);
  e.string = place.string;
  e.kandokoro = place.position;
  int alsoTaken = -1;
  for (int k = 0; k < kMaxTogether; ++k) {
    if (marks.together[static_cast<std::size_t>(k)] == kNoPitch) {
      continue;
    }
    if (const std::optional<PitchPlace> other = PlaceTogether(
            m_places, m_open, marks.together[static_cast<std::size_t>(k)], e.string, alsoTaken)) {
      e.together[static_cast<std::size_t>(k)] = *other;
      alsoTaken = other->string;
    }
  }
}

int CScoreView::CollectMeasure(int measure, std::array<CellEntry, kMaxCellEntries>& entries,
                               bool syllables) const {
  const CSongData& song = *m_song;
  // Under a measure-repeat sign the measure plays the one before it: the
  // sign stands for its notes.
  if (measure >= 0 && measure < kMarkMeasureCount &&
      (song.m_marks.measures[static_cast<std::size_t>(measure)].flags & kMeasureRepeat) != 0 &&
      measure > 0) {
    return 0;
  }
  const int beats = song.m_beatsPerMeasure;
  int count = 0;
  const bool lyrics = m_settings != nullptr && m_settings->lyricsShown == 1;
  for (int j = 0; j < beats; ++j) {
    for (int h = 0; h < 2; ++h) {
      const int noteCell = 2 * (measure * beats + j) + h;
      if (noteCell >= kMaxCells) {
        return count;
      }
      for (int s = 0; s < kSlotsPerCell; ++s) {
        const std::int32_t v = song.m_cells[noteCell].pitch[s];
        if (v < 0 && v != SLOT_REST) {
          continue;
        }
        // A measure can hold more drawable slots than a cell keeps (eight
        // beats, or cells divided in three); the later ones are not drawn.
        if (count >= kMaxCellEntries) {
          return count;
        }
        CellEntry& e = entries[count];
        e = CellEntry{};
        e.eighth = 2.0 * j + h;
        e.length = SlotLength(noteCell, s);
        e.slot = static_cast<std::int64_t>(noteCell) * kSlotsPerCell + s;
        LookUpPosition(m_places, v, e.string, e.kandokoro);
        AddMarks(song.m_marks.At(noteCell, s), v, e);
        if (lyrics && v >= 0) {
          SetFieldText(e.lyric, FieldText(song.m_cells[noteCell].lyric[s]));
        }
        if (syllables) {
          SetFieldText(e.syllable, SlotSyllable(song, m_places, m_open, noteCell, s));
        }
        ++count;
      }
    }
  }
  return count;
}

void CScoreView::RefreshScoreView() {
  RefreshScoreView(CellsInUse());
}

void CScoreView::RefreshScoreView(int cells) {
  const int count = std::clamp(cells, 0, m_count);
  CollectCells(0, count);
  for (int i = 0; i < count; ++i) {
    RenderScoreCell(i);
  }
  if (m_shownOnScreen) {
    PresentAllCells();
  }
}

void CScoreView::RefreshMeasures(int first, int last) {
  const int from = std::max(first - m_firstShownMeasure, 0);
  const int to = std::min(last - m_firstShownMeasure + 1, CellsInUse());
  if (from >= to) {
    return;
  }
  CollectCells(from, to);
  for (int i = from; i < to; ++i) {
    RenderScoreCell(i);
    if (m_shownOnScreen) {
      PresentCell(i);
    }
  }
}

void CScoreView::CollectCells(int from, int to) {
  for (int i = from; i < to; ++i) {
    m_cells[i].entryCount = 0;
    m_cells[i].measure = MeasureDrawing{};
    if (m_song == nullptr) {
      continue;
    }
    const std::int64_t measure = static_cast<std::int64_t>(m_firstShownMeasure) + i;
    if (measure >= 0 && measure < m_song->m_measureCount && m_song->BeatCount() > 0) {
      m_cells[i].entryCount = CollectMeasure(static_cast<int>(measure), m_cells[i].entries);
      m_cells[i].measure = MeasureDrawingOf(static_cast<int>(measure));
    }
  }
}

void CScoreView::SetCellsInUse(int cells) {
  const int before = CellsInUse();
  m_inUse = std::clamp(cells, 0, kMaxScoreCellCount);
  const int after = CellsInUse();
  if (after <= before) {
    return;
  }
  // They lag behind the scroll and the song since they went out of use.
  CollectCells(before, after);
  for (int i = before; i < after; ++i) {
    RenderScoreCell(i);
    if (m_shownOnScreen) {
      PresentCell(i);
    }
  }
}

void CScoreView::RenderScoreCell(int index) {
  if (index < 0 || index >= m_count || !m_cells[index].surface) {
    return;
  }
  if (!m_shownOnScreen) {
    m_cells[index].stale = true;
    return;
  }
  DrawCell(index);
}

void CScoreView::DrawIfStale(int index) const {
  if (index >= 0 && index < m_count && m_cells[index].stale && m_cells[index].surface) {
    DrawCell(index);
  }
}

void CScoreView::DrawCell(int index) const {
  const Cell& cell = m_cells[index];
  Surface& surface = *cell.surface;
  cell.stale = false;
  EnsureSurfacePixels(surface);
  const KeyCursorDrawing keys =
      m_keyCursorShown ? KeyDrawingOf(m_firstShownMeasure + index) : KeyCursorDrawing{};
  const bool marked = keys.cursor >= 0 || keys.selectFrom >= 0;
  if (surface.scale == 1.0) {
    DrawScoreCell(surface.picture, surface.width, surface.height, cell.entries.data(),
                  cell.entryCount, m_cursorSlot, marked ? &keys : nullptr);
    DrawMeasureMarks(surface.picture, surface.width, cell.measure);
    return;
  }
  ScaledCanvas canvas(surface.picture, surface.scale);
  DrawScoreCell(canvas, surface.width, surface.height, cell.entries.data(), cell.entryCount,
                m_cursorSlot, marked ? &keys : nullptr);
  DrawMeasureMarks(canvas, surface.width, cell.measure);
}

MeasureDrawing CScoreView::MeasureDrawingOf(int measure) const {
  MeasureDrawing d;
  if (m_song == nullptr || measure < 0 || measure >= m_song->m_measureCount ||
      measure >= kMarkMeasureCount) {
    return d;
  }
  d.marks = m_song->m_marks.measures[static_cast<std::size_t>(measure)];
  d.endingStarts =
      d.marks.ending != 0 &&
      (measure == 0 ||
       m_song->m_marks.measures[static_cast<std::size_t>(measure - 1)].ending != d.marks.ending);
  return d;
}

void DrawMeasureMarks(Canvas& s, int w, const MeasureDrawing& measure) {
  const MeasureMarks& m = measure.marks;
  if (m.Empty()) {
    return;
  }
  const Color previousPen = s.Pen();
  s.SetPen(kBlack);
  // The colons sit in the two spaces between the strings, beside a second
  // bar line.
  const auto colon = [&s](int x) {
    s.FillRect(Rect{x, 28, x + 3, 31}, kBlack);
    s.FillRect(Rect{x, 48, x + 3, 51}, kBlack);
  };
  if ((m.flags & kRepeatStart) != 0) {
    s.MoveTo(2, 20);
    s.LineTo(2, 60);
    colon(5);
  }
  if ((m.flags & kRepeatEnd) != 0) {
    s.MoveTo(w - 3, 20);
    s.LineTo(w - 3, 60);
    colon(w - 8);
    if (m.TimesPlayed() > 2) {
      DrawSmallText(s, "x" + std::to_string(m.TimesPlayed()), Rect{w - 22, 9, w - 4, 19},
                    kMarkFont);
    }
  }
  if (m.ending != 0) {
    const int left = measure.endingStarts ? 4 : 0;
    s.MoveTo(left, 2);
    s.LineTo(w - 4, 2);
    if (measure.endingStarts) {
      s.MoveTo(left, 2);
      s.LineTo(left, 10);
      DrawSmallText(s, std::to_string(m.ending) + ".", Rect{left + 3, 3, left + 17, 12}, kMarkFont);
    }
  }
  if ((m.flags & kMeasureRepeat) != 0) {
    const int c = w / 2;
    s.MoveTo(c - 9, 52);
    s.LineTo(c + 9, 28);
    s.FillRect(Rect{c - 8, 31, c - 4, 35}, kBlack);
    s.FillRect(Rect{c + 4, 45, c + 8, 49}, kBlack);
  }
  s.SetPen(previousPen);
}

void CScoreView::SetScale(double scale) {
  const double s = scale > 0 ? scale : 1.0;
  if (s == m_scale) {
    return;
  }
  m_scale = s;
  const int inUse = CellsInUse();
  for (int i = 0; i < m_count; ++i) {
    if (m_cells[i].surface) {
      // The pixels at the new scale are made when the cell is drawn; one
      // out of use is drawn when it comes back.
      m_cells[i].surface->scale = s;
      if (i < inUse) {
        RenderScoreCell(i);
      } else {
        m_cells[i].stale = true;
      }
    }
  }
  if (m_shownOnScreen) {
    PresentAllCells();
  }
}

namespace {

// A note struck together with the entry's: its number on its own string in
// the entry's column, with the entry's note-value bars.
void DrawTogetherNumber(Canvas& s, const CellEntry& e, const PitchPlace& place, int x) {
  const int row = std::clamp(place.position, 0, kKandokoroLabelCount - 1);
  std::string t = kKandokoroLabels[row];
  if (t.size() >= 4) {
    ConvertToHalfWidth(t);
  }
  const Rect box{x, 50 - 20 * place.string, x + 8 * static_cast<int>(t.size()),
                 66 - 20 * place.string};
  const Font previous = s.SelectFont(Font{e.length <= 1 ? 12 : 14});
  s.DrawTextInBox(t, box);
  s.SelectFont(previous);
  if (e.length <= 1.5) {
    s.MoveTo(x + 2, box.bottom);
    s.LineTo(box.right - 2, box.bottom);
  }
  if (e.length <= 0.5) {
    s.MoveTo(x + 2, box.bottom + 2);
    s.LineTo(box.right - 2, box.bottom + 2);
  }
}

// Technique and finger of an entry whose number sits in box. Below: the
// technique under the note-value bars; above: over the number, the finger
// after it. スリ is an arc from the number to the next one (nextX).
void DrawMarks(Canvas& s, const CellEntry& e, const Rect& box, int nextX) {
  const std::string_view technique = TechniqueText(e.technique, e.marksAbove);
  const bool slide = e.technique == Technique::kSuriUp || e.technique == Technique::kSuriDown;
  int fingerX = box.left;
  if (slide) {
    const int from = box.left + 6;
    const int to = std::max(nextX + 2, from + 8);
    const int y = box.top;
    s.MoveTo(from, y);
    s.LineTo(from + 3, y - 3);
    s.LineTo(to - 3, y - 3);
    s.LineTo(to, y);
    DrawSmallText(s, technique,
                  Rect{(from + to) / 2 - 9, y - 3 - kMarkHeight, (from + to) / 2 + 9, y - 3},
                  kMarkFont);
  } else if (!technique.empty() && e.marksAbove) {
    DrawSmallText(s, technique, Rect{box.left, box.top - kMarkHeight, box.left + 10, box.top},
                  kMarkFont);
    fingerX = box.left + 10;
  } else if (!technique.empty()) {
    DrawSmallText(s, technique,
                  Rect{box.left, box.bottom + 3, box.left + 10, box.bottom + 3 + kMarkHeight},
                  kMarkFont);
  }
  if (const std::string_view finger = FingerText(e.finger); !finger.empty()) {
    DrawSmallText(s, finger, Rect{fingerX, box.top - kMarkHeight, fingerX + 14, box.top},
                  kFingerFont);
  }
}

// Pixels of CP932 text at the syllable font: a two-byte character is a full
// cell wide, a one-byte one half.
int SyllableWidth(std::string_view text) {
  return static_cast<int>(text.size()) * kSyllableFont / 2;
}

// The entry's syllable in the row, from its column to the next column that
// has a syllable (or the cell's end); on the cursor colour when it sounds.
void DrawSyllable(Canvas& s, const CellEntry* entries, int count, int k, int step, int w,
                  bool cursor) {
  const CellEntry& e = entries[k];
  const int x = static_cast<int>((e.eighth + 1) * step);
  for (int j = 0; j < k; ++j) {
    if (entries[j].syllable[0] != '\0' && entries[j].eighth == e.eighth) {
      return;  // its column's syllable is already there
    }
  }
  int right = w;
  for (int j = k + 1; j < count; ++j) {
    if (entries[j].syllable[0] != '\0' && entries[j].eighth > e.eighth) {
      right = std::min(right, static_cast<int>((entries[j].eighth + 1) * step));
    }
  }
  std::string_view text = FieldText(e.syllable);
  if (SyllableWidth(text) > right - x && text.size() > kSyllableN.size() &&
      text.ends_with(kSyllableN)) {
    text.remove_suffix(kSyllableN.size());
  }
  const Rect box{x, kSyllableTop, std::min(right, x + SyllableWidth(text)), kSyllableBottom};
  if (cursor) {
    s.FillRect(box, kCursorColor);
  }
  // The row is the cell's own white (or the cursor's fill): no background
  // of the text's own to paint.
  const Font previous = s.SelectFont(Font{kSyllableFont});
  s.SetBackgroundMode(BackgroundMode::kTransparent);
  s.DrawTextInBox(text, box);
  s.SetBackgroundMode(BackgroundMode::kOpaque);
  s.SelectFont(previous);
}

// The left edge of a sixteenth's place: half beat c is drawn at (c + 1)
// tenths of the width, its second sixteenth half a tenth further on.
int KeyColumnLeft(int w, int sixteenth) {
  const int step = w / 10;
  return (sixteenth / 2 + 1) * step + (sixteenth % 2) * step / 2 - 2;
}

// Two pixels of frame around the kandokoro's place on the cursor's string.
void DrawKeyCursor(Canvas& s, int w, const KeyCursorDrawing& keys) {
  const int left = KeyColumnLeft(w, keys.cursor);
  const int right = left + w / 20 + 8;
  const int string = std::clamp(keys.string, 0, 2);
  const int top = 49 - 20 * string;
  const int bottom = 67 - 20 * string;
  s.SetPen(kKeyCursorColor);
  for (int i = 0; i < 2; ++i) {
    s.MoveTo(left + i, top + i);
    s.LineTo(right - i, top + i);
    s.LineTo(right - i, bottom - i);
    s.LineTo(left + i, bottom - i);
    s.LineTo(left + i, top + i);
  }
}

}  // namespace

void DrawScoreCell(Canvas& s, int w, int h, const CellEntry* entries, int count,
                   std::int64_t cursorSlot, const KeyCursorDrawing* keys) {
  s.FillRect(Rect{0, 0, w, h}, kWhite);
  if (keys != nullptr && keys->selectFrom >= 0 && keys->selectTo > keys->selectFrom) {
    const int right = keys->selectTo >= keys->sixteenths ? w : KeyColumnLeft(w, keys->selectTo);
    s.FillRect(
        Rect{KeyColumnLeft(w, keys->selectFrom), kStringLineTop - 8, right, kStringLineBottom + 10},
        kSelectionColor);
  }
  const Color previousPen = s.Pen();
  s.SetPen(kBlack);
  s.SetTextColor(kBlack);
  s.SetBackgroundColor(kWhite);
  s.SetBackgroundMode(BackgroundMode::kOpaque);

  s.MoveTo(0, kStringLineTop);
  s.LineTo(0, kStringLineBottom);
  s.MoveTo(w - 1, kStringLineTop);
  s.LineTo(w - 1, kStringLineBottom);
  for (int y = kStringLineTop; y <= kStringLineBottom; y += kStringLineGap) {
    s.MoveTo(0, y);
    s.LineTo(w, y);
  }

  const int step = w / 10;
  for (int k = 0; k < count; ++k) {
    const CellEntry& e = entries[k];
    const int x = static_cast<int>((e.eighth + 1) * step);
    const int kandokoro =
        (e.kandokoro >= 0 && e.kandokoro < kKandokoroLabelCount) ? e.kandokoro : 0;
    std::string t = kKandokoroLabels[kandokoro];
    if (t.size() >= 4) {
      ConvertToHalfWidth(t);
    }
    if (e.length >= 4) {
      t += kLongMark;
    }
    const Rect box{x, 50 - 20 * e.string, x + 8 * static_cast<int>(t.size()), 66 - 20 * e.string};
    const bool cursor = cursorSlot >= 0 && e.slot == cursorSlot;
    if (cursor) {
      s.FillRect(box, kCursorColor);
      s.SetBackgroundColor(kCursorColor);
    }
    const Font previous = s.SelectFont(Font{e.length <= 1 ? 12 : 14});
    s.DrawTextInBox(t, box);
    s.SelectFont(previous);
    if (cursor) {
      s.SetBackgroundColor(kWhite);
    }

    const int left = x + 2;
    const int right = box.right - 2;
    const int b = box.bottom;
    if (e.length <= 0.5) {
      s.MoveTo(left, b);
      s.LineTo(right, b);
      s.MoveTo(left, b + 2);
      s.LineTo(right, b + 2);
    } else if (e.length <= 1.5) {
      s.MoveTo(left, b);
      s.LineTo(right, b);
    }

    // A technique goes under the lowest number of a two-string note, the
    // finger over the highest.
    Rect column = box;
    for (const PitchPlace& other : e.together) {
      if (other.string >= 0) {
        DrawTogetherNumber(s, e, other, x);
        column.bottom = std::max(column.bottom, 66 - 20 * other.string);
        column.top = std::min(column.top, 50 - 20 * other.string);
      }
    }
    const int nextX = k + 1 < count ? static_cast<int>((entries[k + 1].eighth + 1) * step) : w;
    DrawMarks(s, e, column, nextX);

    if (e.lyric[0] != '\0') {
      const Font before = s.SelectFont(Font{12});
      s.DrawTextInBox(FieldText(e.lyric), Rect{x, kLyricTop, box.right, kLyricBottom});
      s.SelectFont(before);
    }
    if (e.syllable[0] != '\0') {
      DrawSyllable(s, entries, count, k, step, w, cursor);
    }
  }
  if (keys != nullptr && keys->cursor >= 0) {
    DrawKeyCursor(s, w, *keys);
  }
  s.SetPen(previousPen);
}

int CScoreView::MeasureOfSlot(std::int64_t slot) const {
  if (m_song == nullptr || m_song->m_beatsPerMeasure <= 0 || slot < 0) {
    return -1;
  }
  const std::int64_t slotsPerMeasure =
      static_cast<std::int64_t>(m_song->m_beatsPerMeasure) * 2 * kSlotsPerCell;
  return static_cast<int>(std::min<std::int64_t>(slot / slotsPerMeasure, kMaxCells));
}

void CScoreView::SetCursorSlot(std::int64_t slot) {
  if (slot == m_cursorSlot) {
    return;
  }
  const int before = MeasureOfSlot(m_cursorSlot);
  m_cursorSlot = slot < 0 ? kNoCursorSlot : slot;
  const int after = MeasureOfSlot(m_cursorSlot);
  for (const int measure : {before, after}) {
    const int cell = measure - m_firstShownMeasure;
    if (measure >= 0 && cell >= 0 && cell < CellsInUse()) {
      RenderScoreCell(cell);
      if (m_shownOnScreen) {
        PresentCell(cell);
      }
    }
  }
}

KeyCursorDrawing CScoreView::KeyDrawingOf(int measure) const {
  KeyCursorDrawing d;
  if (m_song == nullptr || m_song->m_beatsPerMeasure < kMinBeatsPerMeasure ||
      m_song->m_beatsPerMeasure > kMaxBeatsPerMeasure || measure < 0) {
    return d;
  }
  d.sixteenths = 4 * m_song->m_beatsPerMeasure;
  const int start = measure * d.sixteenths;
  const int end = start + d.sixteenths;
  if (m_keyCursor >= start && m_keyCursor < end) {
    d.cursor = m_keyCursor - start;
    d.string = m_keyString;
  }
  if (m_selectTo > m_selectFrom && m_selectFrom < end && m_selectTo > start) {
    d.selectFrom = std::max(m_selectFrom, start) - start;
    d.selectTo = std::min(m_selectTo, end) - start;
  }
  return d;
}

void CScoreView::RedrawMeasures(int from, int to) {
  for (int measure = std::max(from, m_firstShownMeasure); measure <= to; ++measure) {
    const int cell = measure - m_firstShownMeasure;
    if (cell >= CellsInUse()) {
      break;
    }
    RenderScoreCell(cell);
    if (m_shownOnScreen) {
      PresentCell(cell);
    }
  }
}

void CScoreView::SetKeyCursor(int position, int string, int selectFrom, int selectTo, bool redraw) {
  if (selectTo <= selectFrom) {
    selectFrom = selectTo = 0;
  }
  if (position == m_keyCursor && string == m_keyString && selectFrom == m_selectFrom &&
      selectTo == m_selectTo) {
    return;
  }
  const int perMeasure =
      m_song != nullptr && m_song->m_beatsPerMeasure > 0 ? 4 * m_song->m_beatsPerMeasure : 16;
  // The cells of the old marks and of the new ones.
  std::vector<std::pair<int, int>> ranges;
  auto add = [&](int cursor, int from, int to) {
    if (cursor >= 0) {
      ranges.emplace_back(cursor / perMeasure, cursor / perMeasure);
    }
    if (to > from) {
      ranges.emplace_back(from / perMeasure, (to - 1) / perMeasure);
    }
  };
  add(m_keyCursor, m_selectFrom, m_selectTo);
  m_keyCursor = position < 0 ? -1 : position;
  m_keyString = string;
  m_selectFrom = selectFrom;
  m_selectTo = selectTo;
  add(m_keyCursor, m_selectFrom, m_selectTo);
  if (!redraw) {
    return;
  }
  for (const auto& [from, to] : ranges) {
    RedrawMeasures(from, to);
  }
}

}  // namespace kumoito
