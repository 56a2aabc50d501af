#pragma once
// Reading and writing score files (.mwd). Every version is read, told apart by
// its size; the current 94540-byte layout is always written.
//
// Thread-safety: none beyond that of the song passed in (GUI thread).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kumoito {

class CSongData;

// Reads the file at path into song, which must be freshly reset. Returns
// false, having read nothing, when there is no file or the file cannot be a
// score; the caller then makes a new song.
bool ReadScoreFile(CSongData& song, const std::string& path);

// Decodes a score image whose version is told by size (the bytes given may
// stop at 94540 for longer files). Returns false when the size is below the
// current layout and is neither old size.
bool DecodeScoreImage(CSongData& song, const unsigned char* data, std::size_t size);

// Fills image (94540 bytes) in the current layout.
void BuildScoreImage(unsigned char* image, const CSongData& song, std::int16_t beatsPerMeasure,
                     std::int32_t keyIndex, std::uint16_t headerWord);

// The bytes SaveScore would write for song with its own beats per measure,
// key and header word, built from a copy so that the song is left as it is.
std::vector<unsigned char> ScoreFileImage(const CSongData& song);

// Normalizes and packs the song, writes it as 94540 bytes to path (or to the
// song's own path when path is empty) and clears the packed fields again.
// Returns false when the file could not be written (already reported).
bool SaveScore(CSongData& song, std::int16_t beatsPerMeasure, std::int32_t keyIndex,
               const std::string& path, std::uint16_t headerWord);

}  // namespace kumoito
