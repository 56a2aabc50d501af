#pragma once
// The MusicXML writer: a song as partwise MusicXML 4.0 (UTF-8), one
// shamisen part on two staves. Staff 1 is the melody at sounding pitch in
// the treble clef, with lyric line 1, the 口三味線 as line 2, the
// techniques, fingers and notes struck together as chord notes; staff 2 is
// a 3-line TAB staff tuned to the open strings given, each note on the
// string and at the fret (semitones above the open string) the tablature
// draws. Chord symbols, tempo, texts, repeats, endings and measure repeats
// come along; a song that opens with rests shorter than its first measure
// starts with an implicit pick-up measure.
//
// Thread-safety: pure functions of the song they read.

#include <string>
#include <string_view>

#include "song/tuning.h"

namespace kumoito {

class CSongData;

namespace musicxml {

// The first measure of the song's measures [first, end) that a range of
// slots (cell * 3 + slot) touches, and the one after the last.
struct MeasureRange {
  int first = 0;
  int end = 0;
};
MeasureRange MeasuresOfSlots(const CSongData& song, int firstSlot, int endSlot);

// The whole song, placed on the strings as the tablature places it with
// these open strings.
std::string MusicXmlOfSong(const CSongData& song, const OpenStrings& open);

// The measures around the slots [firstSlot, endSlot), as a score of their
// own (for the clipboard): its first measure carries the key, metre and
// tempo; a note held into it from before starts there.
std::string MusicXmlOfRange(const CSongData& song, const OpenStrings& open, int firstSlot,
                            int endSlot);

// The song as the file at path wants it: compressed (.mxl, with
// META-INF/container.xml) or plain (.musicxml, .xml), written through the
// atomic writer. False with why when it cannot be.
bool WriteMusicXmlFile(const CSongData& song, const OpenStrings& open, const std::string& path,
                       std::string& why);

// Whether path names the compressed form (.mxl, any case).
bool IsCompressedMusicXmlPath(std::string_view path);

// The media type of MusicXML text, as the clipboard offers it.
inline constexpr std::string_view kMusicXmlMediaType = "application/vnd.recordare.musicxml+xml";

}  // namespace musicxml
}  // namespace kumoito
