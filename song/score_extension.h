#pragma once
// The score file's extension: what the 94540-byte layout has no room for
// (the marks of song/marks.h, the user's 口三味線 syllables and the tab's
// tuning), in a block of our own
// after it. Readers of the layout ignore whatever follows it, so a file
// with an extension still opens everywhere, and its first 94540 bytes are
// what they would be without one.
//
// Layout, little-endian:
//   "KMEX"  magic
//   u16     version (1)
//   u16     0
//   u32     n, the bytes of chunks that follow
//   n bytes chunks, each a 4-byte tag, a u32 length and that many bytes
//   u32     CRC-32 of everything before it
// Chunks of version 1 ("TUNE", "STYL", "NOTE", "MEAS", "KUCH") are described in
// score_extension.cpp. A chunk with any other tag is kept as it came and
// written back after ours, so a file from a later version loses nothing
// it does not need to understand.
//
// Thread-safety: pure functions apart from the song passed in.

#include <cstddef>
#include <vector>

namespace kumoito {

class CSongData;

// Room for every mark of a full song many times over; larger blocks are
// taken as damage, not read.
inline constexpr std::size_t kMaxScoreExtensionBytes = 1u << 20;

// The block for song, or nothing when the song has no marks, no stored
// tuning and no foreign chunks. Marks past the song's measures are left out.
std::vector<unsigned char> EncodeScoreExtension(const CSongData& song);

enum class ExtensionRead {
  kNone,     // no extension of ours: bytes past the layout are not ours to read
  kRead,     // the marks, tuning and foreign chunks are in the song
  kIgnored,  // ours but damaged, truncated or of an unknown version: nothing taken
};

// Reads the bytes that follow the layout into song's marks, tuning and
// foreign chunks, all or nothing; a value out of range drops only its entry.
ExtensionRead DecodeScoreExtension(CSongData& song, const unsigned char* data, std::size_t size);

}  // namespace kumoito
