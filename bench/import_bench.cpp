// Opening foreign files: the notation program's MusicXML and compressed
// MusicXML, and a MIDI file with accompaniment, read and written onto a
// song; and a melody as long as a song can hold.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "import/file_import.h"
#include "import/song_writer.h"

namespace kumoito::import {
namespace {

std::vector<unsigned char> Fixture(const std::string& name) {
  std::ifstream in(std::string(KUMOITO_IMPORT_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_ImportFile(benchmark::State& state, const char* name, FileKind kind) {
  const std::vector<unsigned char> bytes = Fixture(name);
  for (auto _ : state) {
    ImportOutcome outcome = ImportBytes(bytes.data(), bytes.size(), kind);
    benchmark::DoNotOptimize(outcome.song);
  }
}
BENCHMARK_CAPTURE(BM_ImportFile, musicxml, "ms_song.musicxml", FileKind::kMusicXml);
BENCHMARK_CAPTURE(BM_ImportFile, mxl, "ms_song.mxl", FileKind::kCompressedMusicXml);
BENCHMARK_CAPTURE(BM_ImportFile, midi, "abc_waltz_chords.mid", FileKind::kMidi);

// 1024 beats of sixteenths and triplets: the writer's worst case.
void BM_WriteFullSong(benchmark::State& state) {
  Melody melody;
  for (int beat = 0; beat < 1024; ++beat) {
    const int steps = beat % 2 == 0 ? 4 : 6;
    for (int i = 0; i < steps; ++i) {
      melody.notes.push_back(
          {Rational(beat) + Rational(i, steps), Rational(1, steps), 60 + (beat + i) % 24, "ら"});
    }
    melody.chords.push_back({Rational(beat), "Am7"});
  }
  for (auto _ : state) {
    WrittenSong written = WriteSong(melody);
    benchmark::DoNotOptimize(written.song);
  }
}
BENCHMARK(BM_WriteFullSong);

}  // namespace
}  // namespace kumoito::import

BENCHMARK_MAIN();
