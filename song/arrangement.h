#pragma once
// Automatic arrangement: choosing the key and tuning under which most notes
// of a song start on open strings, and moving a song by whole octaves so that
// it starts on or just above the first string.
//
// Thread-safety: none; runs on the thread that owns the song (GUI).

#include <array>
#include <cstdint>

#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {

// How many notes start on each MIDI pitch.
using PitchCounts = std::array<std::int32_t, kPitchCount>;

// Counts every slot of the song holding a pitch 0..127; rests, holds and
// unused slots count nothing.
void PitchHistogram(const CSongData& song, PitchCounts& counters);

struct KeyAndTuning {
  int key;     // row 0..11 of kKeyTable
  int tuning;  // row of kTuningTable
};

// Tries the twelve major keys in row order and the three tunings in table
// order on a copy of the song (one copy alive at a time) and keeps the first
// pair with the most note starts on the open strings of first-string value
// v. A song with none at all gives C and 本調子. The song is not changed.
KeyAndTuning ChooseKeyAndTuning(const CSongData& song, std::int32_t firstStringValue);

// Moves the song by whole octaves so that its lowest note lies in
// base..base + 11. Unless the lowest note is base itself it goes through
// TransposeSong, so chord roots are respelled and the key row normalised even
// when the shift is zero.
void FitOctave(CSongData& song, std::int32_t base);

}  // namespace kumoito
