#include "input/score_cursor.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/sjis.h"
#include "common/ui_text.h"
#include "input/input_tool.h"
#include "song/edit_history.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

// The kandokoro rows of ○ and 1 .. 20 (the rows between are ＃, ｂ, 1＃, 1ｂ).
constexpr std::array<int, 21> kRowOfNumber = {1,  2,  3,  4,  6,  7,  8,  9,  10, 11, 13,
                                              14, 15, 16, 18, 19, 20, 21, 22, 23, 25};

// Technique keys: the katakana's first letter where it is free.
struct TechniqueKey {
  char key;
  Technique technique;
};
constexpr std::array<TechniqueKey, 7> kTechniqueKeys = {{
    {'s', Technique::kSukui},
    {'h', Technique::kHajiki},
    {'u', Technique::kUchi},
    {'p', Technique::kOshi},  // push
    {'k', Technique::kKeshi},
    {'/', Technique::kSuriUp},
    {'\\', Technique::kSuriDown},
}};

Clip NoteClip(std::int32_t value, int length) {
  Clip clip;
  clip.items.resize(static_cast<std::size_t>(std::max(length, 1)));
  clip.items[0].pitch = value;
  for (std::size_t i = 1; i < clip.items.size(); ++i) {
    clip.items[i].pitch = SLOT_HOLD;
  }
  return clip;
}

bool Printable(std::string_view text) {
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

}  // namespace

std::optional<int> KandokoroRowOfNumber(int number) {
  if (number < 0 || number >= static_cast<int>(kRowOfNumber.size())) {
    return std::nullopt;
  }
  return kRowOfNumber[static_cast<std::size_t>(number)];
}

ScoreCursor::ScoreCursor(std::function<void(bool)> changed) : m_changed(std::move(changed)) {
  SetStrings(OpenStringPitches(0, 0));
}

void ScoreCursor::SetSong(CSongData* song) {
  m_song = song;
  m_anchor.reset();
  m_lastEntry.reset();
  m_togetherFor.reset();
  m_position = 0;
  FollowSong();
}

void ScoreCursor::SetStrings(const OpenStrings& open) {
  m_open = open;
  m_places = BuildPitchPlaces(open);
}

void ScoreCursor::FollowSong() {
  m_position = std::clamp(m_position, 0, End());
  if (m_anchor) {
    m_anchor = std::clamp(*m_anchor, 0, End());
  }
  if (m_lastEntry && *m_lastEntry >= End()) {
    m_lastEntry.reset();
  }
  m_togetherFor.reset();
}

int ScoreCursor::End() const {
  if (m_song == nullptr) {
    return 0;
  }
  // The sixteenth after the last is where typing makes the song longer.
  return std::min(SixteenthCount(*m_song), 2 * kMaxCells - 1);
}

int ScoreCursor::Step() const {
  return m_dotted && m_base > 1 ? m_base * 3 / 2 : m_base;
}

void ScoreCursor::SetStep(int sixteenths) {
  for (int base = kLongestStep; base >= kShortestStep; base /= 2) {
    if (sixteenths == base || (base > 1 && sixteenths == base * 3 / 2)) {
      m_base = base;
      m_dotted = sixteenths != base;
      return;
    }
  }
}

std::optional<std::pair<int, int>> ScoreCursor::Selection() const {
  if (!m_anchor || *m_anchor == m_position) {
    return std::nullopt;
  }
  return std::make_pair(std::min(*m_anchor, m_position), std::max(*m_anchor, m_position));
}

void ScoreCursor::PlaceAt(int position, int string, bool extend) {
  if (extend && !m_anchor) {
    m_anchor = m_position;
  } else if (!extend) {
    m_anchor.reset();
  }
  m_position = std::clamp(position, 0, End());
  m_string = std::clamp(string, 0, kStringCount - 1);
  Moved();
}

void ScoreCursor::Moved() {
  m_lastEntry.reset();
  m_togetherFor.reset();
  if (m_changed) {
    m_changed(false);
  }
}

std::string ScoreCursor::StepName(int position) const {
  const int measure = m_song != nullptr ? position / SixteenthsPerMeasure(*m_song) + 1 : 1;
  return Ui::Format(Ui::Tr("小節 %1 の音"), {std::to_string(measure)});
}

void ScoreCursor::Record(std::string_view name, const std::function<bool()>& change) {
  m_lastChangeDone = false;
  if (m_song == nullptr) {
    return;
  }
  if (m_history != nullptr) {
    m_history->BeginEdit(*m_song, name);
  }
  m_lastChangeDone = change();
  if (m_history != nullptr) {
    m_history->CommitEdit(*m_song);
  }
}

bool ScoreCursor::Enter(const Clip& clip, bool advance) {
  const int at = m_position;
  Record(StepName(at), [&] { return WriteSlots(*m_song, at, clip); });
  if (!m_lastChangeDone) {
    return false;
  }
  m_anchor.reset();
  m_togetherFor.reset();
  if (advance) {
    m_position = std::min(at + static_cast<int>(clip.items.size()), End());
  }
  m_lastEntry = at;
  m_note.clear();
  m_changedRange = std::make_pair(at, at + static_cast<int>(clip.items.size()));
  if (m_changed) {
    m_changed(true);
  }
  return true;
}

bool ScoreCursor::EnterKandokoro(int row) {
  if (m_song == nullptr || row < 1 || row > kMaxPosition) {
    return false;
  }
  const std::int32_t pitch = m_open[static_cast<std::size_t>(m_string)] + row - 1;
  if (pitch > kMaxPitch) {
    return false;
  }
  Clip clip = NoteClip(pitch, Step());
  // The note stays on the string it was typed on, and keeps the words
  // sung to the note it replaces.
  clip.items[0].marks.string =
      m_places[pitch].string == m_string ? 0 : static_cast<std::uint8_t>(m_string + 1);
  if (m_position < End() && SlotValueAt(*m_song, m_position) >= 0) {
    std::memcpy(clip.items[0].lyric.data(),
                m_song->m_cells[static_cast<std::size_t>(m_position / 2)].lyric[m_position % 2],
                kLyricFieldSize);
  }
  return Enter(clip, true);
}

bool ScoreCursor::EnterPitch(int midiNote) {
  if (m_song == nullptr || midiNote < 0 || midiNote > kMaxPitch) {
    return false;
  }
  m_string = m_places[midiNote].string;
  return Enter(NoteClip(midiNote, Step()), true);
}

bool ScoreCursor::EnterTogether(int first, int second) {
  if (m_song == nullptr || first < 0 || first > kMaxPitch || second < 0 || second > kMaxPitch) {
    return false;
  }
  // The higher note is the melody, as a chord's top note is when a score is
  // read in; when no two strings can play both, the melody alone.
  const int low = std::min(first, second);
  const int high = std::max(first, second);
  Clip clip = NoteClip(high, Step());
  if (const std::optional<NoteMarks> marks = TwoStringMarks(m_open, high, low)) {
    clip.items[0].marks = *marks;
  }
  m_string = PlaceOfMarkedNote(m_places, m_open, high, clip.items[0].marks).string;
  return Enter(clip, true);
}

bool ScoreCursor::EnterRest() {
  return m_song != nullptr && Enter(NoteClip(SLOT_REST, Step()), true);
}

bool ScoreCursor::EnterHold() {
  if (m_song == nullptr) {
    return false;
  }
  Clip clip = NoteClip(SLOT_HOLD, Step());
  // Nothing sounds before the first sixteenth to be held.
  if (m_position == 0) {
    clip.items[0].pitch = SLOT_REST;
  }
  return Enter(clip, true);
}

std::optional<int> ScoreCursor::TargetNote() const {
  if (m_song == nullptr) {
    return std::nullopt;
  }
  if (m_lastEntry) {
    return m_lastEntry;
  }
  if (m_position >= End()) {
    return std::nullopt;
  }
  return NoteStartAt(*m_song, m_position);
}

std::optional<PitchPlace> ScoreCursor::PlaceAtSlot(int position) const {
  const std::int32_t value = SlotValueAt(*m_song, position);
  if (value < 0 || value > kMaxPitch) {
    return std::nullopt;
  }
  return PlaceOfMarkedNote(m_places, m_open, value, m_song->m_marks.At(position / 2, position % 2));
}

bool ScoreCursor::ChangeTarget(std::string_view name,
                               const std::function<bool(int position)>& change) {
  const auto target = TargetNote();
  if (!target) {
    return false;
  }
  Record(name, [&] { return change(*target); });
  m_changedRange = std::make_pair(*target, *target + 1);
  if (m_lastChangeDone && m_changed) {
    m_changed(true);
  }
  return m_lastChangeDone;
}

bool ScoreCursor::ShiftTargetPosition(int by) {
  return ChangeTarget(StepName(TargetNote().value_or(m_position)), [&](int p) {
    const auto place = PlaceAtSlot(p);
    if (!place) {
      return false;
    }
    const int row = place->position + by;
    const std::int32_t pitch = m_open[static_cast<std::size_t>(place->string)] + row - 1;
    if (row < 1 || row > kMaxPosition || pitch > kMaxPitch) {
      return false;
    }
    m_song->m_cells[static_cast<std::size_t>(p / 2)].pitch[p % 2] = pitch;
    m_song->m_marks.At(p / 2, p % 2).string =
        m_places[pitch].string == place->string ? 0 : static_cast<std::uint8_t>(place->string + 1);
    return true;
  });
}

bool ScoreCursor::ToggleTechnique(Technique technique) {
  return ChangeTarget(Ui::Tr("奏法"), [&](int p) {
    const std::int32_t value = SlotValueAt(*m_song, p);
    // A rest takes ケシ alone.
    if (value < 0 && !(value == SLOT_REST && technique == Technique::kKeshi)) {
      return false;
    }
    NoteMarks& marks = m_song->m_marks.At(p / 2, p % 2);
    marks.technique = marks.technique == technique ? Technique::kNone : technique;
    return true;
  });
}

bool ScoreCursor::CycleFinger() {
  return ChangeTarget(Ui::Tr("指"), [&](int p) {
    if (SlotValueAt(*m_song, p) < 0) {
      return false;
    }
    NoteMarks& marks = m_song->m_marks.At(p / 2, p % 2);
    marks.finger = static_cast<std::uint8_t>((marks.finger + 1) % (kMaxFinger + 1));
    return true;
  });
}

bool ScoreCursor::MoveNoteToOtherString(int direction) {
  if (direction == 0) {
    return false;
  }
  direction = direction > 0 ? 1 : -1;
  int moved = -1;
  const bool done = ChangeTarget(StepName(TargetNote().value_or(m_position)), [&](int p) {
    const auto place = PlaceAtSlot(p);
    if (!place) {
      return false;
    }
    const std::int32_t pitch = SlotValueAt(*m_song, p);
    for (int s = place->string + direction; s >= 0 && s < kStringCount; s += direction) {
      if (PlaceOnString(m_open, pitch, s)) {
        m_song->m_marks.At(p / 2, p % 2).string =
            m_places[pitch].string == s ? 0 : static_cast<std::uint8_t>(s + 1);
        moved = s;
        return true;
      }
    }
    return false;
  });
  if (done) {
    m_string = moved;
  }
  return done;
}

bool ScoreCursor::StartTogether() {
  const auto target = TargetNote();
  const auto place = target ? PlaceAtSlot(*target) : std::nullopt;
  if (!place) {
    return false;
  }
  m_togetherFor = *target;
  for (const int s : {place->string + 1, place->string + 2, place->string - 1}) {
    if (s >= 0 && s < kStringCount) {
      m_string = s;
      break;
    }
  }
  m_note = Ui::Tr("重音: ↑↓ で糸を選び、勘所を入力 (Esc で取り消し)");
  if (m_changed) {
    m_changed(false);
  }
  return true;
}

bool ScoreCursor::FinishTogether(int row) {
  const int p = *m_togetherFor;
  const auto own = PlaceAtSlot(p);
  m_togetherFor.reset();
  m_note.clear();
  if (!own) {
    return false;
  }
  const int string = m_string;
  m_string = own->string;
  const std::int32_t pitch = m_open[static_cast<std::size_t>(string)] + row - 1;
  if (string == own->string || pitch > kMaxPitch) {
    if (m_changed) {
      m_changed(false);
    }
    return false;
  }
  Record(Ui::Tr("重音"), [&] {
    NoteMarks& marks = m_song->m_marks.At(p / 2, p % 2);
    // The new note takes the place of one already on its string, else a
    // free entry, else the second.
    std::size_t entry = marks.together.size() - 1;
    bool found = false;
    for (std::size_t k = 0; k < marks.together.size() && !found; ++k) {
      if (marks.together[k] == kNoPitch) {
        continue;
      }
      const auto at = PlaceTogether(m_places, m_open, marks.together[k], own->string);
      if (at && at->string == string) {
        entry = k;
        found = true;
      }
    }
    for (std::size_t k = 0; k < marks.together.size() && !found; ++k) {
      if (marks.together[k] == kNoPitch) {
        entry = k;
        found = true;
      }
    }
    marks.together[entry] = static_cast<std::uint8_t>(pitch);
    return true;
  });
  m_changedRange = std::make_pair(p, p + 1);
  if (m_changed) {
    m_changed(m_lastChangeDone);
  }
  return m_lastChangeDone;
}

std::optional<std::pair<int, int>> ScoreCursor::EditRange() const {
  if (m_song == nullptr) {
    return std::nullopt;
  }
  if (const auto selection = Selection()) {
    return selection;
  }
  if (m_position >= End()) {
    return std::nullopt;
  }
  const int start = NoteStartAt(*m_song, m_position);
  return std::make_pair(start, start + NoteLengthAt(*m_song, start));
}

std::optional<Clip> ScoreCursor::Copy() const {
  const auto range = EditRange();
  if (!range) {
    return std::nullopt;
  }
  Clip clip = CopySlots(*m_song, range->first, range->second);
  return clip.items.empty() ? std::nullopt : std::optional<Clip>(std::move(clip));
}

bool ScoreCursor::ClearRange(std::string_view name) {
  const auto range = EditRange();
  if (!range || range->first >= range->second) {
    return false;
  }
  Record(name, [&] {
    ClearSlots(*m_song, range->first, range->second);
    return true;
  });
  m_changedRange = std::make_pair(range->first, range->second + 1);
  m_anchor.reset();
  m_lastEntry.reset();
  m_position = range->first;
  if (m_changed) {
    m_changed(true);
  }
  return true;
}

bool ScoreCursor::ClearSelection() {
  return ClearRange(Ui::Tr("削除"));
}

bool ScoreCursor::Cut() {
  return ClearRange(Ui::Tr("切り取り"));
}

bool ScoreCursor::Paste(const Clip& clip) {
  if (m_song == nullptr || clip.items.empty()) {
    return false;
  }
  const int at = Selection() ? Selection()->first : m_position;
  Record(Ui::Tr("貼り付け"), [&] { return WriteSlots(*m_song, at, clip); });
  if (!m_lastChangeDone) {
    m_note = Ui::Tr("曲に入りきらないため貼り付けられません。");
    if (m_changed) {
      m_changed(false);
    }
    return false;
  }
  m_anchor.reset();
  m_lastEntry.reset();
  m_position = std::min(at + static_cast<int>(clip.items.size()), End());
  m_changedRange = std::make_pair(at, at + static_cast<int>(clip.items.size()) + 1);
  m_note.clear();
  if (m_changed) {
    m_changed(true);
  }
  return true;
}

bool ScoreCursor::InsertMeasure() {
  if (m_song == nullptr) {
    return false;
  }
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  const int measure = std::min<int>(m_position / perMeasure, m_song->m_measureCount);
  Record(Ui::Tr("小節の挿入"), [&] { return kumoito::InsertMeasures(*m_song, measure, 1); });
  m_changedRange.reset();
  if (!m_lastChangeDone) {
    return false;
  }
  m_anchor.reset();
  m_lastEntry.reset();
  m_position = measure * perMeasure;
  if (m_changed) {
    m_changed(true);
  }
  return true;
}

bool ScoreCursor::RemoveMeasures() {
  if (m_song == nullptr) {
    return false;
  }
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  int first = m_position / perMeasure;
  int last = first;
  if (const auto selection = Selection()) {
    first = selection->first / perMeasure;
    last = (selection->second - 1) / perMeasure;
  }
  Record(Ui::Tr("小節の削除"),
         [&] { return kumoito::RemoveMeasures(*m_song, first, last - first + 1); });
  m_changedRange.reset();
  if (!m_lastChangeDone) {
    return false;
  }
  m_anchor.reset();
  m_lastEntry.reset();
  m_position = std::min(first * perMeasure, End());
  if (m_changed) {
    m_changed(true);
  }
  return true;
}

void ScoreCursor::SetLyricMode(bool on) {
  m_lyricMode = on && m_song != nullptr;
  m_anchor.reset();
  m_togetherFor.reset();
  m_note = m_lyricMode ? Ui::Tr("歌詞の入力: Space・Tab で次の音、Shift+Tab で前の音、Esc で終わり")
                       : std::string();
  if (m_lyricMode && !(m_position < End() && SlotValueAt(*m_song, m_position) >= 0)) {
    // The words go on notes: from a rest or a hold, the next note, else
    // the last one before.
    int found = -1;
    for (int p = m_position; p < End() && found < 0; ++p) {
      found = SlotValueAt(*m_song, p) >= 0 ? p : -1;
    }
    for (int p = std::min(m_position, End()) - 1; p >= 0 && found < 0; --p) {
      found = SlotValueAt(*m_song, p) >= 0 ? p : -1;
    }
    m_position = found >= 0 ? found : m_position;
  }
  Moved();
}

bool ScoreCursor::TypeLyric(std::string_view utf8) {
  if (m_song == nullptr || m_position >= End() || SlotValueAt(*m_song, m_position) < 0 ||
      !Printable(utf8)) {
    return false;
  }
  const std::optional<std::string> added = Utf8ToCp932(utf8);
  if (!added) {
    m_note = Ui::Format(Ui::Tr("「%1」は歌詞に使えない文字です (CP932 にありません)。"), {utf8});
    if (m_changed) {
      m_changed(false);
    }
    return false;
  }
  char(&field)[kLyricFieldSize] =
      m_song->m_cells[static_cast<std::size_t>(m_position / 2)].lyric[m_position % 2];
  const std::string text = std::string(FieldText(field)) + *added;
  const std::size_t kept = ClippedSjisLength(text, kLyricFieldSize - 1);
  m_note = kept < text.size()
               ? Ui::Format(Ui::Tr("歌詞は 1 つの音に 7 バイトまでです。「%1」で切りました。"),
                            {Cp932ToUtf8Lenient(text.substr(0, kept))})
               : std::string();
  m_changedRange = std::make_pair(m_position, m_position + 1);
  Record(Ui::Tr("歌詞"), [&] {
    std::memset(field, 0, sizeof field);
    SetFieldText(field, std::string_view(text).substr(0, kept));
    return true;
  });
  if (m_changed) {
    m_changed(m_lastChangeDone);
  }
  return true;
}

bool ScoreCursor::OnLyricKey(const KeyStroke& key) {
  auto seek = [&](int direction) {
    for (int p = m_position + direction; p >= 0 && p < End(); p += direction) {
      if (SlotValueAt(*m_song, p) >= 0) {
        m_position = p;
        break;
      }
    }
    m_note.clear();
    Moved();
    return true;
  };
  switch (key.key) {
    case EntryKey::kSpace:
    case EntryKey::kReturn:
    case EntryKey::kRight:
      return seek(1);
    case EntryKey::kTab:
      return seek(key.shift ? -1 : 1);
    case EntryKey::kBacktab:
    case EntryKey::kLeft:
      return seek(-1);
    case EntryKey::kEscape:
      SetLyricMode(false);
      return true;
    case EntryKey::kBackspace:
    case EntryKey::kDelete: {
      if (m_position >= End() || SlotValueAt(*m_song, m_position) < 0) {
        return true;
      }
      char(&field)[kLyricFieldSize] =
          m_song->m_cells[static_cast<std::size_t>(m_position / 2)].lyric[m_position % 2];
      std::string text(FieldText(field));
      if (key.key == EntryKey::kDelete) {
        text.clear();
      } else {
        // Walks the characters so that a trail byte is never taken alone.
        std::size_t last = 0;
        for (std::size_t i = 0; i < text.size();
             i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
          last = i;
        }
        text.resize(last);
      }
      m_changedRange = std::make_pair(m_position, m_position + 1);
      Record(Ui::Tr("歌詞"), [&] {
        std::memset(field, 0, sizeof field);
        SetFieldText(field, text);
        return true;
      });
      if (m_changed) {
        m_changed(m_lastChangeDone);
      }
      return true;
    }
    case EntryKey::kNone:
      if (key.ctrl && (key.text == "l" || key.text == "L")) {
        SetLyricMode(false);
        return true;
      }
      return !key.ctrl && !key.alt && TypeLyric(key.text);
    default:
      return false;
  }
}

bool ScoreCursor::OnTogetherKey(const KeyStroke& key) {
  const auto own = PlaceAtSlot(*m_togetherFor);
  if (key.key == EntryKey::kUp || key.key == EntryKey::kDown) {
    const int direction = key.key == EntryKey::kUp ? 1 : -1;
    for (int s = m_string + direction; s >= 0 && s < kStringCount; s += direction) {
      if (!own || s != own->string) {
        m_string = s;
        break;
      }
    }
    if (m_changed) {
      m_changed(false);
    }
    return true;
  }
  if (key.key == EntryKey::kEscape) {
    m_togetherFor.reset();
    m_note.clear();
    if (own) {
      m_string = own->string;
    }
    if (m_changed) {
      m_changed(false);
    }
    return true;
  }
  if (key.key == EntryKey::kNone && !key.ctrl && key.text.size() == 1) {
    const char c = key.text[0];
    std::optional<int> row;
    if (c >= '0' && c <= '9') {
      row = KandokoroRowOfNumber((key.alt ? 10 : 0) + (c - '0'));
    } else if (c == 'o') {
      row = 1;
    }
    if (row) {
      FinishTogether(*row);
      return true;
    }
  }
  // Any other key leaves the second note untyped and does its own work.
  m_togetherFor.reset();
  m_note.clear();
  if (own) {
    m_string = own->string;
  }
  return OnKey(key);
}

bool ScoreCursor::OnMoveKey(const KeyStroke& key) {
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  const int measureStart = m_position / perMeasure * perMeasure;
  int position = m_position;
  int string = m_string;
  switch (key.key) {
    case EntryKey::kLeft:
      position = key.ctrl ? (m_position == measureStart ? measureStart - perMeasure : measureStart)
                          : m_position - Step();
      break;
    case EntryKey::kRight:
      position = key.ctrl ? measureStart + perMeasure : m_position + Step();
      break;
    case EntryKey::kUp:
      string = m_string + 1;  // 三の糸 is drawn on top
      break;
    case EntryKey::kDown:
      string = m_string - 1;
      break;
    case EntryKey::kHome:
      position = key.ctrl ? 0 : measureStart;
      break;
    case EntryKey::kEnd:
      position = key.ctrl ? End() : std::max(measureStart, measureStart + perMeasure - Step());
      break;
    default:
      return false;
  }
  const bool vertical = key.key == EntryKey::kUp || key.key == EntryKey::kDown;
  PlaceAt(position, string, vertical ? static_cast<bool>(m_anchor) : key.shift);
  return true;
}

bool ScoreCursor::OnTextKey(const std::string& text, bool alt) {
  if (text.size() != 1) {
    return false;
  }
  const char c = text[0];
  if (c >= '0' && c <= '9') {
    const auto row = KandokoroRowOfNumber((alt ? 10 : 0) + (c - '0'));
    return row && EnterKandokoro(*row);
  }
  if (alt) {
    return false;
  }
  for (const TechniqueKey& k : kTechniqueKeys) {
    if (c == k.key) {
      return ToggleTechnique(k.technique);
    }
  }
  auto showStep = [this] {
    const int row = CInputDlg::NoteValueRow(Step());
    m_note = Ui::Format(Ui::Tr("音価: %1"),
                        {Ui::Translate(kInputNoteValueItems[static_cast<std::size_t>(row)])});
    if (m_changed) {
      m_changed(false);
    }
    return true;
  };
  switch (c) {
    case 'o':
      return EnterKandokoro(1);
    case '#':
      return ShiftTargetPosition(1);
    case 'b':
      return ShiftTargetPosition(-1);
    case '.':
      return EnterRest();
    case '-':
      return EnterHold();
    case '[':
      m_base = std::max(kShortestStep, m_base / 2);
      return showStep();
    case ']':
      m_base = std::min(kLongestStep, m_base * 2);
      return showStep();
    case '>':
      m_dotted = !m_dotted;
      return showStep();
    case 'i':
      return CycleFinger();
    case '+':
      return StartTogether();
    default:
      return false;
  }
}

bool ScoreCursor::OnKey(const KeyStroke& key) {
  if (m_song == nullptr || m_song->BeatCount() == 0) {
    return false;
  }
  if (m_lyricMode) {
    return OnLyricKey(key);
  }
  if (m_togetherFor) {
    return OnTogetherKey(key);
  }
  if (key.ctrl) {
    if (key.key == EntryKey::kInsert) {
      return InsertMeasure();
    }
    if (key.key == EntryKey::kDelete) {
      return RemoveMeasures();
    }
    if (key.key == EntryKey::kNone && (key.text == "l" || key.text == "L")) {
      SetLyricMode(true);
      return true;
    }
    if (key.key == EntryKey::kNone || key.key == EntryKey::kSpace) {
      return false;  // the window's own keys (copy, paste, play)
    }
  }
  if (key.alt && (key.key == EntryKey::kUp || key.key == EntryKey::kDown)) {
    return MoveNoteToOtherString(key.key == EntryKey::kUp ? 1 : -1);
  }
  switch (key.key) {
    case EntryKey::kSpace:
      return EnterRest();
    case EntryKey::kDelete:
      return ClearSelection();
    case EntryKey::kBackspace:
      if (Selection()) {
        return ClearSelection();
      }
      if (m_position == 0) {
        return true;
      }
      PlaceAt(std::max(0, m_position - Step()));
      return ClearSelection();
    case EntryKey::kEscape:
      if (m_anchor) {
        m_anchor.reset();
        Moved();
        return true;
      }
      return false;
    case EntryKey::kNone:
      return OnTextKey(key.text, key.alt);
    default:
      return OnMoveKey(key);
  }
}

}  // namespace kumoito
