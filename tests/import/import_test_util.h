#pragma once
// Helpers for the import tests: fixtures on disk, a MusicXML writer for the
// library's song sources (the other half of the round trip), ZIP archives
// built with libzip, and small MIDI files written byte by byte.

#include <cstdint>
#include <string>
#include <vector>

#include "library/song_source.h"
#include "song/song_data.h"

namespace kumoito::test {

std::string ImportFixture(const std::string& name);  // path under tests/data/import
std::vector<unsigned char> ReadBytes(const std::string& path);

// The source as partwise MusicXML: one part, ties across bar lines, chord
// symbols where the chord changes, lyrics as verse 1. With pickup, a song
// that starts with a rest shorter than its first measure is written with a
// short implicit first measure instead.
std::string SourceAsMusicXml(const SongSource& source, bool pickup);

struct ZipEntry {
  std::string name;
  std::string bytes;
  bool stored = false;  // else deflated
};
std::vector<unsigned char> MakeZip(const std::vector<ZipEntry>& entries);
std::string ContainerXml(const std::string& rootPath);

// A MIDI file of the given format and division from raw track bodies (the
// events without the MTrk header; an end of track is appended).
std::vector<unsigned char> MakeMidi(int format, int division,
                                    const std::vector<std::vector<unsigned char>>& tracks);

// One slot of a cell as text for failure messages: "C4", "rest", "hold".
std::string CellsText(const CSongData& song, int fromCell, int count);

}  // namespace kumoito::test
