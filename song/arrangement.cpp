#include "song/arrangement.h"

#include <cstdint>
#include <memory>

namespace kumoito {
namespace {

// Lowest pitch in any slot of the song; kPitchCount when there is no note.
std::int32_t LowestPitch(const CSongData& song) {
  std::int32_t lowest = kPitchCount;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (std::int32_t v : song.m_cells[c].pitch) {
      if (v >= 0 && v < lowest) {
        lowest = v;
      }
    }
  }
  return lowest;
}

// Whole octaves that bring lowest into base..base + 11.
int OctaveShift(std::int32_t lowest, std::int32_t base) {
  if (lowest > base) {
    return -12 * ((lowest - base) / 12);
  }
  if (lowest < base) {
    return 12 * ((base - lowest + 11) / 12);
  }
  return 0;
}

}  // namespace

void PitchHistogram(const CSongData& song, PitchCounts& counters) {
  counters.fill(0);
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (std::int32_t v : song.m_cells[c].pitch) {
      if (v >= 0 && v <= kMaxPitch) {
        ++counters[v];
      }
    }
  }
}

KeyAndTuning ChooseKeyAndTuning(const CSongData& song, std::int32_t firstStringValue) {
  const std::int32_t base = FirstStringPitch(firstStringValue);
  KeyAndTuning best{0, 0};
  std::int32_t bestScore = 0;
  PitchCounts counters;
  for (int key = 0; key < kMajorKeyCount; ++key) {
    // Only the notes decide the score, so the candidate copy is moved by its
    // cells alone: transposing its chords would change nothing but repeat
    // each bad-chord report once per candidate.
    std::unique_ptr<CSongData> copy = CSongData::CopyMeasures(song, song.m_measureCount);
    TransposeCells(*copy, RelativeMajorPitch(key) - RelativeMajorPitch(copy->m_keyIndex));
    TransposeCells(*copy, OctaveShift(LowestPitch(*copy), base));
    PitchHistogram(*copy, counters);
    copy.reset();
    for (int t = 0; t < kTuningCount; ++t) {
      const auto& intervals = kTuningTable[t].intervals;
      const std::int32_t score = counters[base + intervals[0]] + counters[base + intervals[1]] +
                                 counters[base + intervals[2]];
      if (score > bestScore) {
        bestScore = score;
        best = {key, t};
      }
    }
  }
  return best;
}

void FitOctave(CSongData& song, std::int32_t base) {
  const std::int32_t lowest = LowestPitch(song);
  if (lowest != base) {
    TransposeSong(song, OctaveShift(lowest, base));
  }
}

}  // namespace kumoito
