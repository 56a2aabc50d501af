#pragma once
// The MIDI reader: a Standard MIDI File of format 0 or 1 to a Melody,
// through the engine's own track parser. The drum channel (10) is never
// the melody. Of the other tracks and channels the melody is the first
// whose track name says it is one (melody, vocal, voice, lead, solo, メロディ,
// 歌, ...); without such a name it is the one with the highest mean pitch
// among those that have at least a quarter as many notes as the busiest.
// Of notes struck together the top one is kept; a later note ends the one
// before it, unless it is an inner voice under a held note. Times are put
// on the grid a beat at a time, in sixteenths or in the beat's triplets,
// whichever lies nearer. A pick-up is taken from a short first bar of its
// own metre, or from a file that ends part-way into a bar. The words are
// those of one track (the first verse of a file with one per verse),
// cleaned of karaoke marks and joined where a syllable spans several events.
//
// Thread-safety: pure functions (the track parser's once-per-run report
// flags are atomic).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "import/import_error.h"
#include "import/melody.h"

namespace kumoito::import {

struct MidiImportResult {
  std::vector<PartSummary> parts;  // every track and channel with notes
  int chosenPart = -1;
  // How many tracks the melody rule chose among: 1 when a track's name says
  // which is the melody or only one is busy enough; more: the choice is a
  // guess the user may want to make.
  int candidates = 0;
  std::optional<Melody> melody;
  std::optional<ImportError> error;
  std::vector<std::string> notices;  // what the user should know (UTF-8)
};

// part: index into parts, or -1 for the melody rule above.
MidiImportResult ReadMidiMelody(const unsigned char* data, std::size_t size, int part = -1);

}  // namespace kumoito::import
