#pragma once
// Operations on a MidiTrack shared by the file writer, the file reader and the
// player: conversions between note on/off events (form 1) and notes with
// durations (form 2), compaction, the rescale to 96 ticks per quarter, the
// ordering of events on one tick, list operations, copy and destruction.
// Every operation keeps the absolute times of the events it does not move.
//
// Thread-safety: none; one thread works on a track at a time.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "midi/midi_event.h"

namespace kumoito::midi {

inline constexpr std::int32_t kPlayerDivision = 96;

// Deltas and durations are 32-bit in the records, but a damaged file can
// make their sums or a rescale longer than that: such values are taken in 64
// bits and stored through this, so a time stops at the limit instead of
// wrapping to a negative one.
inline std::int32_t ClampTicks(std::int64_t ticks) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      ticks, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Form 2 to form 1: notes become note on / note off pairs.
void ExpandNotes(MidiTrack& track);
// Form 1 to form 2: each note on takes the first matching note off as its end.
void CollapseNotes(MidiTrack& track);
// Removes EV_DELETED events, handing their deltas to the next event.
void CompactTrack(MidiTrack& track);
// Leaves at most one end of track, as the last event: an end with events
// after it hands its delta to the next event and, when no end is last
// already, goes to the end at the time of the last event.
void KeepOneEndOfTrackLast(MidiTrack& track);
// Rescales deltas and durations from division to 96 ticks per quarter with a
// carried remainder. Returns true when a duration had to be lengthened to 1.
bool RescaleTrack(MidiTrack& track, std::int32_t division);
// Within each run of events on one tick: system exclusive first, then the
// other non-note events, then notes, each group in its former order; a note
// off moves before a note on of the same run.
void OrderSimultaneousEvents(MidiTrack& track);

// Appends at the end; a full track (EventRoom events) reports MDTK 0xD000006
// and drops the event. Returns whether it was added.
bool AppendEvent(MidiTrack& track, std::unique_ptr<MidiEvent> event);
// Removes the event at index, handing its delta to the next event.
void RemoveEvent(MidiTrack& track, std::int32_t index);
// A new form-2 track with copies of every event of a form-2 source.
std::unique_ptr<MidiTrack> CopyTrack(const MidiTrack& source);
// Frees the track, reporting over-long event data on the way.
void DestroyTrack(std::unique_ptr<MidiTrack>& track);

}  // namespace kumoito::midi
