#pragma once
// Melody: what every reader of a foreign file makes and the song writer
// takes, free of either format. One voice of notes with exact onsets in
// quarter notes from the top of the piece, the chord symbols, the metre and
// its changes, key, tempo and the texts. Texts are UTF-8.
//
// Thread-safety: a value type.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/rational.h"
#include "song/marks.h"
#include "song/tuning.h"

namespace kumoito::import {

struct MelodyNote {
  Rational onset;     // quarter notes from the top of the piece
  Rational duration;  // quarter notes, > 0
  int pitch = 60;     // MIDI note number
  std::string lyric;  // UTF-8 syllable sung on the note; empty for none
  NoteMarks marks{};  // technique, finger, player's string, notes struck with it
  // The 口三味線 the file writes under the note (UTF-8); unset when it
  // writes none there.
  std::optional<std::string> syllable{};
};

// A rest that carries something: ケシ, or a call written in the 口三味線 line.
struct MarkedRest {
  Rational onset;
  NoteMarks marks{};
  std::optional<std::string> syllable{};  // UTF-8
};

// Repeat signs and endings, given at a time inside the measure they belong to.
struct MeasureMarkAt {
  Rational inside;  // quarter notes from the top of the piece
  MeasureMarks marks;
};

struct ChordSymbol {
  Rational onset;
  std::string text;  // root, accidental and our suffix: "C", "F#m7", "Bbsus4"
};

struct MetreChange {
  Rational onset;  // where the new time signature starts
  int numerator = 4;
  int denominator = 4;
};

struct Melody {
  std::vector<MelodyNote> notes;  // in onset order, never overlapping
  std::vector<ChordSymbol> chords;
  std::vector<MetreChange> metres;  // in onset order; empty: 4/4 throughout
  std::vector<MeasureMarkAt> measureMarks;
  std::vector<MarkedRest> rests;  // in onset order
  // The file has a 口三味線 line: a note without a syllable there says none.
  bool syllableLine = false;
  // Open strings of a 3-line TAB staff (一の糸 first), when the file tunes one.
  std::optional<OpenStrings> tabOpen;
  // Length of a shorter first measure (an upbeat); 0 when the first measure
  // is whole.
  Rational pickup;
  // End of the last measure the file wrote, when it says (0: the end of the
  // last note), so that closing rests are kept.
  Rational length;
  std::optional<int> fifths;  // key signature: sharps > 0, flats < 0
  bool minor = false;
  std::optional<double> tempo;  // quarter notes per minute as written
  std::string title;
  std::string composer;
  std::string lyricist;
};

// A part or track a user may choose between, as a list shows it.
struct PartSummary {
  std::string name;  // UTF-8; may be empty
  int noteCount = 0;
  int lowest = -1;  // MIDI note numbers of the range; -1 when not given
  int highest = -1;
};

}  // namespace kumoito::import
