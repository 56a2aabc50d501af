#pragma once
// Edits of a song by position rather than by cell: a run of sixteenths
// (slots 0 and 1 of consecutive cells, one sequence across bar lines) copied
// out with everything that rides on its notes, written back elsewhere, or
// cleared to rests; whole measures inserted and removed with their marks,
// lyrics, chords and syllables. A position p is slot p % 2 of cell p / 2.
// The third slot of a cell divided in three is given up where these write.
//
// Thread-safety: functions on a song the caller owns (GUI thread).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "song/marks.h"
#include "song/song_data.h"

namespace kumoito {

// One sixteenth and what rides on it.
struct ClipSlot {
  std::int32_t pitch = SLOT_REST;  // a MIDI note, SLOT_REST or SLOT_HOLD
  std::array<char, kLyricFieldSize> lyric{};
  NoteMarks marks{};
  SyllableOverride syllable{};
  friend bool operator==(const ClipSlot&, const ClipSlot&) = default;
};

// A run of sixteenths as copied; its first slot never holds (a copy that
// starts inside a note starts that note).
struct Clip {
  std::vector<ClipSlot> items;
  friend bool operator==(const Clip&, const Clip&) = default;
};

// Sixteenths the song's measures hold (0 while its beat count is unusable).
int SixteenthCount(const CSongData& song);
int SixteenthsPerMeasure(const CSongData& song);
std::int32_t SlotValueAt(const CSongData& song, int position);
// The position where the note, rest or hold at position started.
int NoteStartAt(const CSongData& song, int position);
// Sixteenths of the note or rest starting at position (1 for a hold).
int NoteLengthAt(const CSongData& song, int position);

// Positions [from, to) of the song; positions past its end are left out.
Clip CopySlots(const CSongData& song, int from, int to);
// Writes the clip's slots from position at on, adding measures when it
// runs past the end; the tail of a note it cut short becomes a rest. False,
// and nothing changed, when it would not fit the song's capacity.
bool WriteSlots(CSongData& song, int at, const Clip& clip);
// Positions [from, to) become rests, without lyrics, marks or syllables.
void ClearSlots(CSongData& song, int from, int to);

// count empty measures before measure index `measure` (0 .. measure count);
// everything from there on moves back with its marks. False, and nothing
// changed, when the song has no room.
bool InsertMeasures(CSongData& song, int measure, int count);
// Measures [measure, measure + count) go and the rest move up. A song keeps
// at least one measure: removing all of them clears the first. False when
// the range holds no measure of the song.
bool RemoveMeasures(CSongData& song, int measure, int count);

// The clip in a text of its own (the clipboard's private format) and back.
// Reading trusts nothing: a text that is not exactly such a clip gives none.
std::string SerializeClip(const Clip& clip);
std::optional<Clip> ParseClip(std::string_view text);

}  // namespace kumoito
