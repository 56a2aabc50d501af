#pragma once
// Small helpers that write notes into a test's song cell by cell.

#include <array>
#include <cstdint>

#include "song/song_data.h"

namespace kumoito::test {

inline void Put(CSongData& song, int cell, int slot, std::int32_t value) {
  song.m_cells[static_cast<std::size_t>(cell)].pitch[slot] = value;
}

// A cell divided in three.
inline void PutThree(CSongData& song, int cell, const std::array<std::int32_t, 3>& values) {
  for (int s = 0; s < 3; ++s) {
    Put(song, cell, s, values[static_cast<std::size_t>(s)]);
  }
}

}  // namespace kumoito::test
