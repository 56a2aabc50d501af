// The work of opening a library song: key and tuning chosen, the song moved
// to the chosen key and fitted above the first string, on a song filled to
// capacity (1024 beats, 2048 cells, a note in every slot of every cell).

#include <cstdint>
#include <memory>

#include <benchmark/benchmark.h>

#include "common/sjis.h"
#include "song/arrangement.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

std::unique_ptr<CSongData> FullSong() {
  std::int32_t beats = 4;
  std::int32_t key = 3;  // A
  std::int32_t measures = kMaxBeats / 4;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  // A walk over two octaves of the A major scale, in all three slots.
  static constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11};
  std::uint32_t state = 12345;
  for (int c = 0; c < song->CellCount(); ++c) {
    for (std::int32_t& slot : song->m_cells[c].pitch) {
      state = state * 1103515245u + 12345u;
      const int degree = static_cast<int>((state >> 16) % 14);
      slot = 57 + 12 * (degree / 7) + kScale[degree % 7];
    }
  }
  static constexpr const char* kChords[] = {"A", "D", "E7", "F#m", "Bm7", "C#m", "Dmaj7", "Esus4"};
  for (int b = 0; b < song->BeatCount(); ++b) {
    SetFieldText(song->m_beatChords[b].chord, kChords[b % 8]);
    SetFieldText(song->m_beatChords[b].chordMid, b % 2 == 0 ? "" : kChords[(b + 3) % 8]);
  }
  return song;
}

void BM_OpenLibrarySong(benchmark::State& state) {
  auto song = FullSong();
  const std::int32_t firstString = 0;
  for (auto _ : state) {
    const KeyAndTuning choice = ChooseKeyAndTuning(*song, firstString);
    ChangeKey(*song, song->m_keyIndex, choice.key);
    FitOctave(*song, FirstStringPitch(firstString));
    benchmark::DoNotOptimize(choice);
    benchmark::DoNotOptimize(song->m_cells.data());
  }
}
BENCHMARK(BM_OpenLibrarySong)->Unit(benchmark::kMicrosecond);

void BM_ChooseKeyAndTuning(benchmark::State& state) {
  auto song = FullSong();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChooseKeyAndTuning(*song, 0));
  }
}
BENCHMARK(BM_ChooseKeyAndTuning)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kumoito
