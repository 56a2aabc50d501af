#pragma once
// The MusicXML reader: partwise MusicXML 3.0 to 4.0 text to a Melody. Of
// the chosen part it keeps voice 1 of the first staff (the voice of that
// staff's first note), the top note of each chord, tied notes as one (a tie
// is followed per pitch), rests and dotted values as their durations say;
// grace notes are dropped. Measures are kept as written, repeats and endings
// not played out; a bar a program split into shorter measures is joined, a
// short first measure is a pick-up. Chord symbols, key, metre, tempo, title,
// composer, lyricist and one lyric line come along. A lyric line named
// "kuchijamisen" holds the 口三味線 (no verse to choose), and the rests of the
// melody keep their ケシ and calls; the tuning of a 3-line TAB staff is
// kept, and a string of it counts as the player's only where placement in
// that tuning would choose another.
//
// Thread-safety: pure functions.

#include <optional>
#include <string_view>
#include <vector>

#include "import/import_error.h"
#include "import/melody.h"

namespace kumoito::import {

struct MusicXmlResult {
  // Every part of the score in order; a part with several lyric lines once
  // per line ("Voice・1番", "Voice・2番", "Voice・chorus"), verse 1 first.
  std::vector<PartSummary> parts;
  int chosenPart = -1;           // index into parts, -1 on error
  std::optional<Melody> melody;  // set exactly when there is no error
  std::optional<ImportError> error;
};

// part: index into parts, or -1 for the first part that has notes with
// verse 1, or its first lyric line when it has no verse 1.
MusicXmlResult ReadMusicXml(std::string_view text, int part = -1);

}  // namespace kumoito::import
