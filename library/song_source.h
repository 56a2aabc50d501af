#pragma once
// Song sources: the text form in which the sample library is written (see
// docs/song-format.md), its parser and the builder that turns a parsed source
// into a CSongData ready to be saved as a score file.
//
// Thread-safety: all functions are pure apart from the song they return.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "song/song_data.h"

namespace kumoito {

// Sixteenth notes: the finest step a source can write.
inline constexpr int kSixteenthsPerBeat = 4;
// Pitch of a source event that is a rest.
inline constexpr std::int32_t kSourceRest = -1;

// A note or rest as the source wrote it; a tie makes one event of two notes.
struct SourceEvent {
  int start = 0;   // sixteenths from the top of the song
  int length = 0;  // sixteenths
  std::int32_t pitch = kSourceRest;
  std::string lyric;  // CP932; empty when the note carries no syllable
};

// The chord of one beat and the one that takes over at its middle (empty:
// none). Every beat names the chord in force, as the score keeps them.
struct SourceBeatChord {
  std::string chord;
  std::string chordMid;
};

struct SongSource {
  std::string title;     // CP932
  std::string composer;  // CP932
  std::string lyricist;  // CP932
  std::string source;    // UTF-8; where melody and words come from
  std::int32_t tempo = 0;
  std::int32_t beatsPerMeasure = 0;
  std::int32_t keyIndex = 0;
  std::int32_t regionCode = 0;
  std::int32_t fameScore = 0;
  std::int32_t measureCount = 0;
  std::vector<SourceEvent> events;          // in time order, covering every measure
  std::vector<SourceBeatChord> beatChords;  // one per beat of the song
};

// Where a source went wrong. Lines and columns count from 1; columns count
// characters (UTF-8 code points), not bytes.
struct SourceError {
  int line = 0;
  int column = 0;
  std::string message;
};

struct ParsedSource {
  SongSource song;                   // meaningful only without an error
  std::optional<SourceError> error;  // the first mistake found
};

ParsedSource ParseSongSource(std::string_view text);

// "FILE:LINE:COLUMN: message", the form editors jump to.
std::string FormatSourceError(std::string_view fileName, const SourceError& error);

// A new song holding everything the source says.
std::unique_ptr<CSongData> BuildSong(const SongSource& source);

}  // namespace kumoito
