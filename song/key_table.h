#pragma once
// The thirty keys (調) a song may be written in, and the note names used to
// spell chord roots. Rows 0..11 are the twelve major keys of the key list.

#include <array>
#include <cstdint>
#include <string_view>

namespace kumoito {

struct KeyEntry {
  std::uint8_t minor;       // 0 major, 1 minor
  std::int8_t accidentals;  // sharps (> 0) or flats (< 0) of the key signature
  std::string_view name;    // display text
  std::int32_t tonic;       // pitch class of the tonic, C = 0
};

inline constexpr int kKeyCount = 30;
inline constexpr int kMajorKeyCount = 12;

inline constexpr std::array<KeyEntry, kKeyCount> kKeyTable = {{
    {0, 0, "C", 0},   {0, 1, "G", 7},   {0, 2, "D", 2},     {0, 3, "A", 9},    {0, 4, "E", 4},
    {0, 5, "B", 11},  {0, 6, "F#", 6},  {0, 7, "C#", 1},    {0, -1, "F", 5},   {0, -2, "Bb", 10},
    {0, -3, "Eb", 3}, {0, -4, "Ab", 8}, {0, -5, "Db", 1},   {0, -6, "Gb", 6},  {0, -7, "Cb", 11},
    {1, 0, "Am", 9},  {1, 1, "Em", 4},  {1, 2, "Bm", 11},   {1, 3, "F#m", 6},  {1, 4, "C#m", 1},
    {1, 5, "G#m", 8}, {1, 6, "D#m", 3}, {1, 7, "A#m", 10},  {1, -1, "Dm", 2},  {1, -2, "Gm", 7},
    {1, -3, "Cm", 0}, {1, -4, "Fm", 5}, {1, -5, "Bbm", 10}, {1, -6, "Ebm", 3}, {1, -7, "Abm", 8},
}};

inline constexpr std::array<std::string_view, 12> kNoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                                "F#", "G",  "G#", "A",  "A#", "B"};

// A key row read from a file or a setting, made safe to index kKeyTable.
constexpr int ValidKeyIndex(int key) {
  return (key >= 0 && key < kKeyCount) ? key : 0;
}

}  // namespace kumoito
