#pragma once
// The MusicXML reader: partwise MusicXML 3.0 to 4.0 text to a Melody. Of
// the chosen part it keeps voice 1 of the first staff (the voice of that
// staff's first note), the top note of each chord, tied notes as one, rests
// and dotted values as their durations say; grace notes are dropped. Chord
// symbols, key, metre, tempo, title, composer, lyricist and the verse-1
// lyrics come along.
//
// Thread-safety: pure functions.

#include <optional>
#include <string_view>
#include <vector>

#include "import/import_error.h"
#include "import/melody.h"

namespace kumoito::import {

struct MusicXmlResult {
  std::vector<PartSummary> parts;  // every part of the score, in order
  int chosenPart = -1;             // index into parts, -1 on error
  std::optional<Melody> melody;    // set exactly when there is no error
  std::optional<ImportError> error;
};

// part: index of the part to read, or -1 for the first part that has notes.
MusicXmlResult ReadMusicXml(std::string_view text, int part = -1);

// The suffix we write after a chord root for a MusicXML <kind> value, or
// nullopt for a kind we do not know.
std::optional<std::string_view> ChordSuffixForKind(std::string_view kind);

}  // namespace kumoito::import
