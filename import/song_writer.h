#pragma once
// The song writer: a Melody onto a new CSongData. Onsets go onto the song's
// grid of sixteenths (slots 0 and 1 of a half-beat cell); a beat whose
// onsets all fall on sixths of it, some of them between the sixteenths, is
// written as two cells of three slots. A shorter first measure becomes a
// whole one that starts with rests. Key, tempo (40..240), texts, lyrics and
// chord symbols are written in CP932 into their fields, cut on a character
// boundary. A TAB staff in one of our tunings becomes the song's stored
// tuning; against it, a 口三味線 line's syllable that the rule would not give
// becomes the user's own.
//
// The metre: a time signature whose measure is a whole number of quarters
// from 1 to 8 gives that many beats (6/8 gives 3, 2/2 gives 4). Any other
// is scaled, notes and tempo alike so that it sounds the same, by the first
// of 2, 4, 2/3, 1/2, 4/3, 1/4 that makes the measure a whole number of beats
// from 1 to 8 (3/8 and 7/8 doubled, 9/8 to three triplet beats); a metre
// none of them fits is barred every 4 beats. Later changes of time
// signature keep the first metre's bars.
//
// Thread-safety: pure functions apart from the song they return.

#include <memory>
#include <string>
#include <vector>

#include "import/melody.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito::import {

struct MetrePlan {
  int beatsPerMeasure = 4;
  Rational scale = 1;    // song beats per quarter note of the file
  bool barsKept = true;  // false: no scale fits, bars every 4 beats
};
MetrePlan PlanMetre(int numerator, int denominator);

// Row of kKeyTable for a key signature; C (row 0) when none fits.
int KeyRowFor(int fifths, bool minor);

struct WrittenSong {
  std::unique_ptr<CSongData> song;
  std::vector<std::string> notices;  // UTF-8, one sentence each, for the user
};
WrittenSong WriteSong(const Melody& melody);

// Moves by octaves every note below the first open string or above the
// highest stopping position of the third string, so that each can be
// played; returns how many notes moved.
int FitIntoPlayableRange(CSongData& song, const OpenStrings& open);

}  // namespace kumoito::import
