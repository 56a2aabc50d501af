#pragma once
// Byte layout of the score file (.mwd), shared by the reader and the writer.
// The file has no magic number and no version field: its version is told by
// its exact size. All integers are little-endian; texts are CP932 inside
// fixed fields, ending at the first NUL or, when they fill it, at the end of
// the field.

#include <cstddef>

namespace kumoito::score_layout {

// Sizes that tell the versions apart.
inline constexpr std::size_t kOldestSize = 32780;       // 8-byte chords, 12-byte cells
inline constexpr std::size_t kOldChordSize = 81932;     // 8-byte chords, current cells
inline constexpr std::size_t kInfoSize = 90444;         // + info block
inline constexpr std::size_t kFreeTextVersion = 92492;  // + free text
inline constexpr std::size_t kFileSize = 94540;         // + beat marks: what we write

// Current layout.
inline constexpr std::size_t kChordBlock = 0;
inline constexpr std::size_t kChordRecordSize = 16;  // chord[8], chordMid[8]
inline constexpr std::size_t kCellBlock = 16384;
inline constexpr std::size_t kCellRecordSize = 36;  // int32 pitch[3], char lyric[3][8]
inline constexpr std::size_t kCellLyricOffset = 12;
inline constexpr std::size_t kInfoBlock = 90112;
inline constexpr std::size_t kInfoBlockSize = 320;
inline constexpr std::size_t kHeader = 90432;
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kFreeText = 90444;
inline constexpr std::size_t kBeatMarkA = 92492;
inline constexpr std::size_t kBeatMarkB = 93516;

// Within the 12-byte header.
inline constexpr std::size_t kHeaderMeasureCount = 0;     // int32
inline constexpr std::size_t kHeaderBeatsPerMeasure = 4;  // int16
inline constexpr std::size_t kHeaderWord = 6;             // uint16
inline constexpr std::size_t kHeaderKey = 8;              // int32

// Within the info block.
inline constexpr std::size_t kInfoComposer = 0;
inline constexpr std::size_t kInfoComposerSub = 33;
inline constexpr std::size_t kInfoLyricist = 64;
inline constexpr std::size_t kInfoLyricistSub = 97;
inline constexpr std::size_t kInfoReserved1 = 128;
inline constexpr std::size_t kInfoValueA = 192;
inline constexpr std::size_t kInfoValueB = 196;
inline constexpr std::size_t kInfoTempo = 200;
inline constexpr std::size_t kInfoValueC = 204;
inline constexpr std::size_t kInfoReserved2 = 208;
inline constexpr std::size_t kInfoValueD = 212;
inline constexpr std::size_t kInfoReserved3 = 216;
inline constexpr std::size_t kInfoRegionCode = 226;
inline constexpr std::size_t kInfoText = 232;
inline constexpr std::size_t kInfoFameScore = 237;
inline constexpr std::size_t kInfoTitle = 256;
inline constexpr std::size_t kInfoTitleSub = 289;

// The two oldest versions: no info block, the header right after the cells.
inline constexpr std::size_t kOldChordRecordSize = 8;
inline constexpr std::size_t kOldCellBlock = 8192;
inline constexpr std::size_t kOldCellRecordSize = 12;  // int32 pitch, char lyric[8]
inline constexpr std::size_t kOldestHeader = 32768;
inline constexpr std::size_t kOldChordHeader = 81920;

}  // namespace kumoito::score_layout
