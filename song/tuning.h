#pragma once
// Tunings (調子), first-string pitches (一の糸), the pitch-to-position table
// that places every MIDI note on a string and a stopping position (勘所), and
// the transpositions that move a song between keys.
//
// Thread-safety: the tables are constants; the functions that take a song
// change it in place and must run on the thread that owns the song (GUI).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/config_control.h"
#include "common/ui_text.h"
#include "song/key_table.h"
#include "song/song_data.h"

namespace kumoito {

inline constexpr int kStringCount = 3;
inline constexpr int kTuningCount = 3;
inline constexpr int kFirstStringCount = 12;
inline constexpr int kPitchCount = 128;
inline constexpr int kMaxPitch = 127;
// The first string sounds 48 + v, where v is the stored first-string value.
inline constexpr std::int32_t kFirstStringBasePitch = 48;
// Positions run 1 (open string) up to this; higher ones fold back by octaves.
inline constexpr std::int32_t kMaxPosition = 25;

struct TuningEntry {
  std::string_view name;                             // text of the tuning list (Ui::Translate)
  std::string_view word;                             // command-line word
  std::array<std::int32_t, kStringCount> intervals;  // semitones above string 1
};

inline constexpr std::array<TuningEntry, kTuningCount> kTuningTable = {{
    {Ui::Mark("本調子"), "hon", {0, 5, 12}},
    {Ui::Mark("二上り"), "futa", {0, 7, 12}},
    {Ui::Mark("三下り"), "san", {0, 5, 10}},
}};

struct FirstStringEntry {
  std::string_view name;
  std::int32_t value;  // semitones above kFirstStringBasePitch; what the settings store
};

// In the order the first-string list shows them.
inline constexpr std::array<FirstStringEntry, kFirstStringCount> kFirstStringList = {{
    {"C", 0},
    {"C#", 1},
    {"B", 11},
    {"A#", 10},
    {"A", 9},
    {"D", 2},
    {"G#", 8},
    {"D#", 3},
    {"G", 7},
    {"E", 4},
    {"F#", 6},
    {"F", 5},
}};

// The settings file checks its values against these ranges without seeing
// the tables; keep them in step.
static_assert(kSettingsTuningCount == kTuningCount);
static_assert(kSettingsFirstStringCount == kFirstStringCount);
static_assert(kSettingsKeyCount == kMajorKeyCount);

// Pitch of the open first string for a stored value; values no list entry
// has (a batch run leaves −1) are taken as 0.
constexpr std::int32_t FirstStringPitch(std::int32_t firstStringValue) {
  return kFirstStringBasePitch + ValidFirstStringValue(firstStringValue);
}

using OpenStrings = std::array<std::int32_t, kStringCount>;

// Open pitches of strings 1..3; out-of-range settings are taken as 0.
OpenStrings OpenStringPitches(std::int32_t firstStringValue, std::int32_t tuning);

// The tablature's names of the positions (UTF-8, every character
// full-width): row 0 a rest, row 1 the open string, row r the position r - 1
// semitones above it.
inline constexpr int kKandokoroCount = 26;
inline constexpr std::array<std::string_view, kKandokoroCount> kKandokoroTexts = {
    "●",    "○",    "１",   "２",   "３",   "＃",   "４",   "５",   "６",
    "７",   "８",   "９",   "ｂ",   "１０", "１１", "１２", "１３", "１＃",
    "１４", "１５", "１６", "１７", "１８", "１９", "１ｂ", "２０"};

struct PitchPlace {
  std::int32_t string;    // 0, 1, 2: 一の糸, 二の糸, 三の糸
  std::int32_t position;  // 1..kMaxPosition, 1 = open string
};

// Where each of the 128 MIDI pitches is played under one set of open
// strings. A value: whoever keeps the open strings keeps the table with them.
struct PitchPlaceTable {
  std::array<PitchPlace, kPitchCount> places;

  // pitch must be 0..127.
  const PitchPlace& operator[](int pitch) const { return places[pitch]; }
};

// Notes below the first string are placed one or more octaves higher;
// notes out of reach above an open string fold down by octaves.
PitchPlaceTable BuildPitchPlaces(const OpenStrings& openPitches);

// The place of pitch on one string (0 一の糸 .. 2 三の糸), when that string
// can play it: at or above its open pitch, within kMaxPosition.
std::optional<PitchPlace> PlaceOnString(const OpenStrings& open, std::int32_t pitch, int string);

// Where a note with marks is drawn and played: on the player's string when
// it can play the pitch, else where placement puts it.
PitchPlace PlaceOfMarkedNote(const PitchPlaceTable& places, const OpenStrings& open,
                             std::int32_t pitch, const NoteMarks& marks);

// Where a pitch struck together with a note on string `taken` (and perhaps
// another on `alsoTaken`, -1 for none) is drawn: on another string that can
// play it, the one placement chooses first, else the one of the lowest
// position; none when no other string can.
std::optional<PitchPlace> PlaceTogether(const PitchPlaceTable& places, const OpenStrings& open,
                                        std::int32_t pitch, int taken, int alsoTaken = -1);

// The marks that strike melody and `other` together on two strings that can
// play them, melody on its own string: the one placement gives it first,
// then the others. None when no pair of strings can.
std::optional<NoteMarks> TwoStringMarks(const OpenStrings& open, std::int32_t melody,
                                        std::int32_t other);

// Tonic of the key's relative major, not reduced modulo 12 (Am gives 12).
std::int32_t RelativeMajorPitch(int key);

// Every note of the song moved by n semitones, folded into 0..127 by octaves.
void TransposeCells(CSongData& song, int n);

// Transposes one chord field in place, spelling the new root with a sharp
// name. Empty and "Skip" stay as they are. An unrecognised root is reported
// (SGDT) and leaves the chord unchanged; the result then is false.
bool TransposeChord(char (&chord)[kChordFieldSize], int n);

// Both chord fields of every beat of the song.
void TransposeChords(CSongData& song, int n);

// Chords and notes by n, then the key row follows to the first row of the
// same mode whose tonic is the old tonic plus n (the key name stays).
void TransposeSong(CSongData& song, int n);

// Moves the song from key row `from` to key row `to` by the distance of
// their relative majors (so C to Am raises by an octave).
void ChangeKey(CSongData& song, int from, int to);

}  // namespace kumoito
