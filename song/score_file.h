#pragma once
// Reading and writing score files (.mwd). Every version is read, told apart by
// its size; the current 94540-byte layout is always written.
//
// Thread-safety: none beyond that of the song passed in (GUI thread).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/ui_text.h"

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

// DecodeScoreImage of a whole file's bytes, and the extension after the
// layout (song/score_extension.h) when there is one. A damaged extension is
// shown to the user once and leaves the song without marks.
bool DecodeScoreBytes(CSongData& song, const unsigned char* data, std::size_t size);

// The text shown when a score's extension cannot be read.
inline constexpr const char* kDamagedExtensionText = Ui::Mark(
    "この譜面ファイルの奏法・反復などの情報は壊れているため読み込めませんでした。"
    "音符はそのまま開きます。");

// Fills image (94540 bytes) in the current layout.
void BuildScoreImage(unsigned char* image, const CSongData& song, std::int16_t beatsPerMeasure,
                     std::int32_t keyIndex, std::uint16_t headerWord);

// The bytes SaveScore would write for song (the layout, then the extension
// when the song needs one) with its own beats per measure,
// key and header word, built from a copy so that the song is left as it is.
std::vector<unsigned char> ScoreFileImage(const CSongData& song);

// Normalizes and packs the song, writes it as 94540 bytes (and the
// extension when the song needs one) to path (or to the
// song's own path when path is empty) and clears the packed fields again.
// Returns false when the file could not be written (already reported).
bool SaveScore(CSongData& song, std::int16_t beatsPerMeasure, std::int32_t keyIndex,
               const std::string& path, std::uint16_t headerWord);

}  // namespace kumoito
