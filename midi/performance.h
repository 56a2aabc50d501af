#pragma once
// The performance built from a song: a tempo, the shamisen program, a
// pitch-bend range of 12 semitones and one note per slot of the score, written
// as a format-0 Standard MIDI File; and the tempo conversions the player uses.
//
// Thread-safety: BuildPerformance reads the song, so it runs on the GUI thread
// that owns it; the conversions may be called from any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "song/play_order.h"

namespace kumoito {
class CSongData;
}

namespace kumoito::midi {

inline constexpr std::int32_t kPerformanceDivision = 960;
inline constexpr std::int32_t kShamisenProgram = 106;

// (60000 / bpm) * 1000 in integers: always a multiple of 1000. A tempo of 0
// or less is reported (GENE 0x1000013) and gives 0.
std::int32_t TempoToMicroseconds(std::int32_t bpm);
// 60000 / (us / 1000) in integers. Fewer than 1000 microseconds are reported
// (GENE 0x1000012) and give 0.
std::int32_t MicrosecondsToBpm(std::int32_t microseconds);

// Where the score's measures fall in the performance, which plays them in
// PlayOrder: with repeats a measure sounds more than once, so a position in
// the performance names one of its passes. Positions count measures of the
// performance; slots are the player's (a sixth of a quarter note).
class PerformanceMap {
 public:
  explicit PerformanceMap(const CSongData& song);
  // The slot of the song shown while the performance plays slot; -1 past
  // the end.
  std::int64_t SongSlot(std::int64_t performanceSlot) const;
  // The first pass at or after performance measure `from` that plays score
  // measure `measure` (both from 0); -1 when none does.
  int FirstPass(int measure, int from = 0) const;
  int PlayedCount() const { return static_cast<int>(m_order.size()); }

 private:
  std::vector<PlayedMeasure> m_order;
  std::int64_t m_slotsPerMeasure = 0;
};

// Builds the performance of song at tempo (beats per minute) and writes it to
// path. Returns whether the file was written.
bool BuildPerformance(const std::string& path, std::int32_t tempo, const CSongData& song);
// The bytes BuildPerformance writes, in memory; nullopt when the track
// cannot be serialized.
std::optional<std::vector<unsigned char>> BuildPerformanceImage(std::int32_t tempo,
                                                                const CSongData& song);

}  // namespace kumoito::midi
