#pragma once
// The beat under a list of onsets: the whole tempo (beats per minute, as
// songs keep it) and the time of one beat line that put the most onsets on
// a sixteenth, preferring, among the tempos that fit about as well, the
// one that puts them on beats and eighths and lies near a walking pace.
// Then each onset on that grid: a beat's onsets go to sixteenths, or to
// triplet eighths when those fit them clearly better.
//
// Thread-safety: pure functions.

#include <cstdint>
#include <vector>

namespace kumoito::audio {

struct BeatGrid {
  int bpm = 120;
  double origin = 0.0;  // seconds: a beat line at or before the first onset
  double fit = 0.0;     // 0..1: how well the onsets sit on the sixteenths
  double BeatSeconds() const { return 60.0 / bpm; }
};

inline constexpr int kMinGridBpm = 40;
inline constexpr int kMaxGridBpm = 240;

BeatGrid EstimateBeatGrid(const std::vector<double>& onsets);

// Positions in twelfths of a beat from grid.origin, one per onset, rising
// strictly (two onsets that fall on one point are kept a grid step apart).
inline constexpr int kGridSteps = 12;
std::vector<std::int64_t> QuantiseOnsets(const std::vector<double>& onsets, const BeatGrid& grid);

}  // namespace kumoito::audio
