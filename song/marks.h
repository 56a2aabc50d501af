#pragma once
// What a shamisen score carries beside pitch and rhythm: per struck note a
// technique (奏法), a finger, the string the player chose and the notes struck
// together with it on other strings; per measure the repeat signs and
// endings; per song the tuning the tab was written in and where technique
// marks are drawn. The marks sit in fixed arrays parallel to the song's cells
// (one entry per slot), so a song stays one flat object that copies, undoes
// and compares as bytes, and a mark stays on its note for as long as the note
// keeps its slot.
//
// Thread-safety: value types.

#include <array>
#include <cstdint>
#include <string_view>

namespace kumoito {

// Capacities; the song's own constants are checked against these.
inline constexpr int kMarkCellCount = 2048;
inline constexpr int kMarkSlotsPerCell = 3;
inline constexpr int kMarkSlotCount = kMarkCellCount * kMarkSlotsPerCell;
inline constexpr int kMarkMeasureCount = 1024;  // a song of one-beat measures

enum class Technique : std::uint8_t {
  kNone = 0,
  kSukui,     // ス: the bachi scoops the string upward
  kHajiki,    // ハ: a finger plucks the string as it leaves it
  kUchi,      // ウ: a finger strikes the string, no new stroke
  kOshi,      // オ: the string is pushed after the stroke, raising the pitch
  kKeshi,     // ケ: the sound is stopped; may stand on a rest
  kSuriUp,    // スリ: a slide up to the next position, no new stroke
  kSuriDown,  // スリ: a slide down
};
inline constexpr int kTechniqueCount = 8;

inline constexpr int kMaxFinger = 3;            // I, II, III: index, middle, ring
inline constexpr int kMaxMarkString = 3;        // 一の糸 .. 三の糸
inline constexpr int kMaxTogether = 2;          // two- and three-string notes
inline constexpr std::uint8_t kNoPitch = 0xFF;  // an unused together entry

struct NoteMarks {
  Technique technique = Technique::kNone;
  std::uint8_t finger = 0;  // 0: none; 1..3
  std::uint8_t string = 0;  // 0: the one placement chooses; 1..3 the player's
  std::uint8_t unused = 0;
  // Pitches struck together with the note, each on another string.
  std::array<std::uint8_t, kMaxTogether> together{kNoPitch, kNoPitch};

  bool Empty() const { return *this == NoteMarks{}; }
  friend bool operator==(const NoteMarks&, const NoteMarks&) = default;
};
static_assert(sizeof(NoteMarks) == 6);

enum MeasureFlag : std::uint8_t {
  kRepeatStart = 1,    // ‖: at the measure's start
  kRepeatEnd = 2,      // :‖ at its end
  kMeasureRepeat = 4,  // the measure plays the one before it again
};
inline constexpr std::uint8_t kMeasureFlagMask = kRepeatStart | kRepeatEnd | kMeasureRepeat;
inline constexpr int kMaxRepeatCount = 9;
inline constexpr int kMaxEnding = 9;

struct MeasureMarks {
  std::uint8_t flags = 0;        // MeasureFlag bits
  std::uint8_t repeatCount = 0;  // times the passage is played at a repeat end; 0: twice
  std::uint8_t ending = 0;       // 0: none; n: under the bracket of ending n
  std::uint8_t unused = 0;

  bool Empty() const { return *this == MeasureMarks{}; }
  int TimesPlayed() const { return repeatCount == 0 ? 2 : repeatCount; }
  friend bool operator==(const MeasureMarks&, const MeasureMarks&) = default;
};
static_assert(sizeof(MeasureMarks) == 4);

// A 口三味線 syllable the user wrote for a slot, in CP932, in place of the
// one the rule gives (song/kuchijamisen.h). Set with no bytes: the slot
// says nothing, though the rule would give it a syllable.
inline constexpr int kMaxSyllableBytes = 8;
struct SyllableOverride {
  std::uint8_t set = 0;  // 1: the user's syllable stands
  std::uint8_t length = 0;
  std::array<char, kMaxSyllableBytes> text{};

  bool Empty() const { return set == 0; }
  std::string_view Text() const { return std::string_view(text.data(), length); }
  // False, and nothing changed, for text longer than kMaxSyllableBytes or
  // not whole printable CP932 characters.
  bool Assign(std::string_view cp932);
  friend bool operator==(const SyllableOverride&, const SyllableOverride&) = default;
};
static_assert(sizeof(SyllableOverride) == 10);

// Printable CP932 of at most kMaxSyllableBytes, never splitting a character:
// what a stored or typed syllable must be.
bool ValidSyllableText(std::string_view cp932);

enum class TechniqueStyle : std::uint8_t {
  kUnset = 0,  // the song follows the setting
  kBelow = 1,  // small katakana under the note-value bars
  kAbove = 2,  // ˆ v ウ above the number
};

// The 調子, 一の糸 and 調 the tab was written in, as the settings store them.
struct TabTuning {
  std::uint8_t stored = 0;  // 1 when the song carries a tuning
  std::uint8_t tuning = 0;
  std::uint8_t firstString = 0;
  std::uint8_t key = 0;
  friend bool operator==(const TabTuning&, const TabTuning&) = default;
};

struct SongMarks {
  std::array<NoteMarks, kMarkSlotCount> notes{};
  std::array<MeasureMarks, kMarkMeasureCount> measures{};
  TabTuning tuning{};
  TechniqueStyle style = TechniqueStyle::kUnset;
  std::array<std::uint8_t, 3> unused{};
  std::array<SyllableOverride, kMarkSlotCount> syllables{};

  static constexpr int Slot(int cell, int slot) { return cell * kMarkSlotsPerCell + slot; }
  NoteMarks& At(int cell, int slot) { return notes[static_cast<std::size_t>(Slot(cell, slot))]; }
  const NoteMarks& At(int cell, int slot) const {
    return notes[static_cast<std::size_t>(Slot(cell, slot))];
  }

  SyllableOverride& SyllableAt(int cell, int slot) {
    return syllables[static_cast<std::size_t>(Slot(cell, slot))];
  }
  const SyllableOverride& SyllableAt(int cell, int slot) const {
    return syllables[static_cast<std::size_t>(Slot(cell, slot))];
  }

  void Clear() { *this = SongMarks{}; }
  // Any note or measure mark, user's syllable, or a style: what makes a song need the extension
  // (the tuning is asked for on its own).
  bool AnyMark() const;
  // Clears the marks and syllables of cells [from, to) and of the measures [fromMeasure,
  // toMeasure).
  void ClearCells(int from, int to);
  void ClearMeasures(int from, int to);
};

}  // namespace kumoito
