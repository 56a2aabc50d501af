#include "song/edit_ops.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/sjis.h"

namespace kumoito {
namespace {

constexpr std::string_view kClipHeader = "KUMOITO-CLIP 1";
// A clip never holds more than a song can.
constexpr int kMaxClipSlots = 2 * kMaxCells;

bool UsableBeats(const CSongData& song) {
  return song.m_beatsPerMeasure >= kMinBeatsPerMeasure &&
         song.m_beatsPerMeasure <= kMaxBeatsPerMeasure;
}

std::int32_t& Value(CSongData& song, int position) {
  return song.m_cells[static_cast<std::size_t>(position / 2)].pitch[position % 2];
}

bool IsMeasureStart(const CSongData& song, int position) {
  return position % SixteenthsPerMeasure(song) == 0;
}

// A cell written by sixteenths is no longer divided in three.
void UndivideCell(CSongData& song, int cell) {
  NoteCell& c = song.m_cells[static_cast<std::size_t>(cell)];
  if (c.pitch[2] != SLOT_NONE) {
    c.pitch[2] = SLOT_NONE;
    std::memset(c.lyric[2], 0, kLyricFieldSize);
    song.m_marks.At(cell, 2) = NoteMarks{};
    song.m_marks.SyllableAt(cell, 2) = SyllableOverride{};
  }
}

void PutSlot(CSongData& song, int position, const ClipSlot& slot) {
  const int cell = position / 2;
  const int s = position % 2;
  UndivideCell(song, cell);
  song.m_cells[static_cast<std::size_t>(cell)].pitch[s] = slot.pitch;
  std::memcpy(song.m_cells[static_cast<std::size_t>(cell)].lyric[s], slot.lyric.data(),
              kLyricFieldSize);
  song.m_marks.At(cell, s) = slot.marks;
  song.m_marks.SyllableAt(cell, s) = slot.syllable;
}

// A hold just after an edit belonged to a note the edit replaced: it
// would otherwise lengthen whatever the edit left before it.
void EndHeldTail(CSongData& song, int position) {
  if (position < SixteenthCount(song) && Value(song, position) == SLOT_HOLD) {
    Value(song, position) = SLOT_REST;
  }
}

void MoveBeat(CSongData& song, int from, int to) {
  const auto f = static_cast<std::size_t>(from);
  const auto t = static_cast<std::size_t>(to);
  song.m_beatChords[t] = song.m_beatChords[f];
  song.m_beatMarkA[t] = song.m_beatMarkA[f];
  song.m_beatMarkB[t] = song.m_beatMarkB[f];
  for (int h = 0; h < 2; ++h) {
    song.m_cells[2 * t + h] = song.m_cells[2 * f + h];
    for (int s = 0; s < kSlotsPerCell; ++s) {
      song.m_marks.At(2 * to + h, s) = song.m_marks.At(2 * from + h, s);
      song.m_marks.SyllableAt(2 * to + h, s) = song.m_marks.SyllableAt(2 * from + h, s);
    }
  }
}

// Beats [from, to) as a new song's: a rest over each measure, the chord
// in force before them, no marks.
void EmptyBeats(CSongData& song, int from, int to) {
  BeatChord chord{};
  if (from > 0) {
    const BeatChord& before = song.m_beatChords[static_cast<std::size_t>(from - 1)];
    const std::string_view mid = FieldText(before.chordMid);
    SetFieldText(chord.chord, mid.empty() ? FieldText(before.chord) : mid);
  } else {
    SetFieldText(chord.chord, song.KeyName());
  }
  for (int b = from; b < to; ++b) {
    song.m_beatChords[static_cast<std::size_t>(b)] = chord;
    song.m_beatMarkA[static_cast<std::size_t>(b)] = 0;
    song.m_beatMarkB[static_cast<std::size_t>(b)] = 0;
    for (int h = 0; h < 2; ++h) {
      NoteCell& c = song.m_cells[static_cast<std::size_t>(2 * b + h)];
      c.pitch[0] = song.IsFirstCellOfMeasure(2 * b + h) ? SLOT_REST : SLOT_HOLD;
      c.pitch[1] = SLOT_HOLD;
      c.pitch[2] = SLOT_NONE;
      std::memset(c.lyric, 0, sizeof c.lyric);
    }
  }
  song.m_marks.ClearCells(2 * from, 2 * to);
}

std::string Hex(std::string_view bytes) {
  if (bytes.empty()) {
    return "-";
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

std::optional<std::string> Unhex(std::string_view text, std::size_t limit) {
  if (text == "-") {
    return std::string();
  }
  if (text.size() % 2 != 0 || text.size() / 2 > limit) {
    return std::nullopt;
  }
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || end != text.data() + i + 2) {
      return std::nullopt;
    }
    out += static_cast<char>(value);
  }
  return out;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    const std::size_t end = std::min(line.find(' ', i), line.size());
    words.push_back(line.substr(i, end - i));
    i = end + 1;
  }
  return words;
}

std::optional<int> Number(std::string_view word, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// No NUL, and no lead byte without its trail.
bool WholeCharacters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0') {
      return false;
    }
    if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size() || text[i + 1] == '\0') {
        return false;
      }
      ++i;
    }
  }
  return true;
}

std::optional<ClipSlot> ParseSlot(std::string_view line) {
  const std::vector<std::string_view> w = Words(line);
  if (w.size() != 9) {
    return std::nullopt;
  }
  const auto pitch = Number(w[0], SLOT_HOLD, 127);
  const auto technique = Number(w[1], 0, kTechniqueCount - 1);
  const auto finger = Number(w[2], 0, kMaxFinger);
  const auto string = Number(w[3], 0, kMaxMarkString);
  const auto first = Number(w[4], 0, 255);
  const auto second = Number(w[5], 0, 255);
  const auto set = Number(w[6], 0, 1);
  const auto syllable = Unhex(w[7], kMaxSyllableBytes);
  const auto lyric = Unhex(w[8], kLyricFieldSize - 1);
  if (!pitch || !technique || !finger || !string || !first || !second || !set || !syllable ||
      !lyric || (*first != kNoPitch && *first > 127) || (*second != kNoPitch && *second > 127)) {
    return std::nullopt;
  }
  ClipSlot slot;
  slot.pitch = *pitch;
  slot.marks.technique = static_cast<Technique>(*technique);
  slot.marks.finger = static_cast<std::uint8_t>(*finger);
  slot.marks.string = static_cast<std::uint8_t>(*string);
  slot.marks.together = {static_cast<std::uint8_t>(*first), static_cast<std::uint8_t>(*second)};
  if ((*set == 0 && !syllable->empty()) ||
      (*set == 1 && !syllable->empty() && !slot.syllable.Assign(*syllable))) {
    return std::nullopt;
  }
  slot.syllable.set = static_cast<std::uint8_t>(*set);
  if (!WholeCharacters(*lyric)) {
    return std::nullopt;
  }
  std::copy(lyric->begin(), lyric->end(), slot.lyric.begin());
  return slot;
}

}  // namespace

int SixteenthsPerMeasure(const CSongData& song) {
  return UsableBeats(song) ? 4 * song.m_beatsPerMeasure : 4;
}

int SixteenthCount(const CSongData& song) {
  return 2 * song.CellCount();
}

std::int32_t SlotValueAt(const CSongData& song, int position) {
  if (position < 0 || position >= 2 * kMaxCells) {
    return SLOT_NONE;
  }
  return song.m_cells[static_cast<std::size_t>(position / 2)].pitch[position % 2];
}

int NoteStartAt(const CSongData& song, int position) {
  while (position > 0 && SlotValueAt(song, position) == SLOT_HOLD) {
    --position;
  }
  return position;
}

int NoteLengthAt(const CSongData& song, int position) {
  const int end = SixteenthCount(song);
  int length = 1;
  while (position + length < end && SlotValueAt(song, position + length) == SLOT_HOLD) {
    ++length;
  }
  return length;
}

Clip CopySlots(const CSongData& song, int from, int to) {
  Clip clip;
  from = std::max(from, 0);
  to = std::min(to, SixteenthCount(song));
  for (int p = from; p < to; ++p) {
    const int cell = p / 2;
    const int s = p % 2;
    // The part of a note inside the range is a note of its own.
    const int source = p == from ? NoteStartAt(song, p) : p;
    ClipSlot slot;
    slot.pitch = SlotValueAt(song, source);
    if (p == from && slot.pitch == SLOT_HOLD) {
      slot.pitch = SLOT_REST;  // nothing starts before the song's first slot
    }
    const int sourceCell = source / 2;
    const int sourceSlot = source % 2;
    if (slot.pitch != SLOT_HOLD) {
      slot.marks = song.m_marks.At(sourceCell, sourceSlot);
      slot.syllable = song.m_marks.SyllableAt(sourceCell, sourceSlot);
    }
    std::memcpy(slot.lyric.data(), song.m_cells[static_cast<std::size_t>(cell)].lyric[s],
                kLyricFieldSize);
    slot.lyric.back() = '\0';
    clip.items.push_back(slot);
  }
  return clip;
}

bool WriteSlots(CSongData& song, int at, const Clip& clip) {
  if (!UsableBeats(song) || at < 0 || clip.items.empty()) {
    return false;
  }
  const int end = at + static_cast<int>(clip.items.size());
  const int perMeasure = SixteenthsPerMeasure(song);
  const int measuresNeeded = (end + perMeasure - 1) / perMeasure;
  if (measuresNeeded > song.MaxMeasureCount()) {
    return false;
  }
  if (measuresNeeded > song.m_measureCount) {
    song.SetMeasureCount(measuresNeeded);
  }
  for (int i = 0; i < static_cast<int>(clip.items.size()); ++i) {
    PutSlot(song, at + i, clip.items[static_cast<std::size_t>(i)]);
  }
  EndHeldTail(song, end);
  return true;
}

void ClearSlots(CSongData& song, int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, SixteenthCount(song));
  for (int p = from; p < to; ++p) {
    ClipSlot slot;
    slot.pitch = p == from || IsMeasureStart(song, p) ? SLOT_REST : SLOT_HOLD;
    PutSlot(song, p, slot);
  }
  EndHeldTail(song, to);
}

bool InsertMeasures(CSongData& song, int measure, int count) {
  const int n = song.m_measureCount;
  if (!UsableBeats(song) || count <= 0 || measure < 0 || measure > n ||
      n + count > song.MaxMeasureCount()) {
    return false;
  }
  const int bpm = song.m_beatsPerMeasure;
  song.SetMeasureCount(n + count);
  const int shift = count * bpm;
  for (int b = n * bpm - 1; b >= measure * bpm; --b) {
    MoveBeat(song, b, b + shift);
  }
  for (int m = std::min(n, kMarkMeasureCount - count) - 1; m >= measure; --m) {
    song.m_marks.measures[static_cast<std::size_t>(m + count)] =
        song.m_marks.measures[static_cast<std::size_t>(m)];
  }
  EmptyBeats(song, measure * bpm, (measure + count) * bpm);
  song.m_marks.ClearMeasures(measure, measure + count);
  // A note tied over the new bar line no longer reaches its tail.
  EndHeldTail(song, (measure + count) * 4 * bpm);
  return true;
}

bool RemoveMeasures(CSongData& song, int measure, int count) {
  const int n = song.m_measureCount;
  if (!UsableBeats(song) || count <= 0 || measure < 0 || measure >= n) {
    return false;
  }
  count = std::min(count, n - measure);
  if (count == n) {
    ClearSlots(song, 0, SixteenthsPerMeasure(song));
    song.m_marks.ClearMeasures(0, n);
    song.SetMeasureCount(1);
    return true;
  }
  const int bpm = song.m_beatsPerMeasure;
  const int shift = count * bpm;
  for (int b = (measure + count) * bpm; b < n * bpm; ++b) {
    MoveBeat(song, b, b - shift);
  }
  for (int m = measure + count; m < n && m < kMarkMeasureCount; ++m) {
    song.m_marks.measures[static_cast<std::size_t>(m - count)] =
        song.m_marks.measures[static_cast<std::size_t>(m)];
  }
  // The measures freed at the end are left as a new song's would be.
  EmptyBeats(song, (n - count) * bpm, n * bpm);
  song.m_marks.ClearMeasures(n - count, n);
  song.SetMeasureCount(n - count);
  EndHeldTail(song, measure * 4 * bpm);
  return true;
}

std::string SerializeClip(const Clip& clip) {
  std::string text(kClipHeader);
  text += '\n';
  text += std::to_string(clip.items.size());
  text += '\n';
  for (const ClipSlot& slot : clip.items) {
    const NoteMarks& m = slot.marks;
    text +=
        std::to_string(slot.pitch) + ' ' + std::to_string(static_cast<int>(m.technique)) + ' ' +
        std::to_string(m.finger) + ' ' + std::to_string(m.string) + ' ' +
        std::to_string(m.together[0]) + ' ' + std::to_string(m.together[1]) + ' ' +
        std::to_string(slot.syllable.set) + ' ' + Hex(slot.syllable.Text()) + ' ' +
        Hex(std::string_view(slot.lyric.data(), FieldLength(slot.lyric.data(), kLyricFieldSize))) +
        '\n';
  }
  return text;
}

std::optional<Clip> ParseClip(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = std::min(text.find('\n', i), text.size());
    lines.push_back(text.substr(i, end - i));
    i = end + 1;
    if (lines.size() > static_cast<std::size_t>(kMaxClipSlots) + 2) {
      return std::nullopt;
    }
  }
  if (lines.size() < 2 || lines[0] != kClipHeader) {
    return std::nullopt;
  }
  const auto count = Number(lines[1], 1, kMaxClipSlots);
  if (!count || lines.size() != static_cast<std::size_t>(*count) + 2) {
    return std::nullopt;
  }
  Clip clip;
  for (std::size_t k = 2; k < lines.size(); ++k) {
    const auto slot = ParseSlot(lines[k]);
    if (!slot || (k == 2 && slot->pitch == SLOT_HOLD)) {
      return std::nullopt;
    }
    clip.items.push_back(*slot);
  }
  return clip;
}

}  // namespace kumoito
