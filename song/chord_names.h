#pragma once
// Chord names: the roots and suffixes a chord symbol is spelled with, and
// the score reader's repair of old add9 spellings, in one place for the
// import, the song sources and the score reader, so that a chord one of
// them writes reads back as the same chord in the others.
//
// Thread-safety: constants and pure functions.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kumoito {

// Sharps as the transposer writes them, and the five flat spellings it reads.
inline constexpr std::array<std::string_view, 17> kChordRoots = {
    "C", "C#", "Db", "D", "D#", "Eb", "E", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb", "B"};

struct ChordSuffix {
  std::string_view suffix;        // as stored after the root
  std::string_view musicXmlKind;  // the MusicXML <kind> it stands for; empty: none
};

// No suffix puts a '9' as its first or second character: the score reader
// reads such a chord as an add9 chord ("C9", "Cm9", "F#9"), so the ninths
// are spelled as sevenths with an added ninth. A suffix may stand for more
// than one kind; its first row is the one a reader of suffixes sees.
inline constexpr std::array<ChordSuffix, 27> kChordSuffixes = {{
    {"", "major"},
    {"m", "minor"},
    {"7", "dominant"},
    {"m7", "minor-seventh"},
    {"maj7", ""},
    {"M7", "major-seventh"},
    {"mM7", "major-minor"},
    {"6", "major-sixth"},
    {"m6", "minor-sixth"},
    {"dim", "diminished"},
    {"dim7", "diminished-seventh"},
    {"aug", "augmented"},
    {"aug7", "augmented-seventh"},
    {"sus4", "suspended-fourth"},
    {"7sus4", ""},
    {"sus2", "suspended-second"},
    {"add9", ""},
    {"m7b5", "half-diminished"},
    {"7b9", ""},
    {"7(9)", "dominant-ninth"},
    {"M7(9)", "major-ninth"},
    {"m7(9)", "minor-ninth"},
    {"11", "dominant-11th"},
    {"13", "dominant-13th"},
    {"5", "power"},
    // Kinds some programs write that MusicXML does not define.
    {"6", "sixth"},
    {"7(9)", "ninth"},
}};

// Where the score reader's repair of an old add9 spelling starts in a chord
// text ("C9" at 1, "Am9" and "F#9" at 2), or nullopt when it leaves the text
// alone.
inline std::optional<std::size_t> OldAdd9Position(std::string_view chord) {
  if (chord.size() > 1 && chord[1] == '9') {
    return 1;
  }
  if (chord.size() > 2 && chord[2] == '9') {
    return 2;
  }
  return std::nullopt;
}

// Whether a suffix reads back as written after every root, also after a
// transposition to a root of another length.
inline bool SuffixReadsBack(std::string_view suffix) {
  return !suffix.starts_with('9') && !(suffix.size() > 1 && suffix[1] == '9');
}

// The suffix for a MusicXML <kind>; "" for an empty kind (major), nullopt
// for a kind without a row.
inline std::optional<std::string_view> SuffixForMusicXmlKind(std::string_view kind) {
  if (kind.empty()) {
    return std::string_view();
  }
  for (const ChordSuffix& row : kChordSuffixes) {
    if (row.musicXmlKind == kind) {
      return row.suffix;
    }
  }
  return std::nullopt;
}

// A root of kChordRoots followed by a suffix of kChordSuffixes.
inline bool IsKnownChord(std::string_view chord) {
  const std::size_t rootLength = chord.size() >= 2 && (chord[1] == '#' || chord[1] == 'b') ? 2 : 1;
  if (chord.size() < rootLength) {
    return false;
  }
  const std::string_view root = chord.substr(0, rootLength);
  const std::string_view suffix = chord.substr(rootLength);
  bool rootKnown = false;
  for (std::string_view r : kChordRoots) {
    rootKnown |= r == root;
  }
  for (const ChordSuffix& row : kChordSuffixes) {
    if (rootKnown && row.suffix == suffix) {
      return true;
    }
  }
  return false;
}

}  // namespace kumoito
