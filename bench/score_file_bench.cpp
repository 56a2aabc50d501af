// Load + save of a full-capacity song: 1024 beats, every cell a note, every
// extra text full. This is the work behind opening and saving a large score.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "song/score_file.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

std::string PrepareFullSong(const std::filesystem::path& dir) {
  std::int32_t beats = 8, key = 0, measures = 128;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  for (int c = 0; c < kMaxCells; ++c) {
    for (int s = 0; s < 2; ++s) {
      song->m_cells[c].pitch[s] = 48 + (c * 2 + s) % 36;
      song->m_cells[c].lyric[s][0] = 'a';
    }
  }
  for (int i = 0; i < kExtraTextCount; ++i) {
    song->SetExtraText(i, std::string(kExtraTextSize - 1, static_cast<char>('A' + i)));
  }
  std::memset(song->m_freeText, 'f', kFreeTextSize - 1);
  const std::string path = (dir / "full.mwd").string();
  SaveScore(*song, beats, key, path, 1);
  return path;
}

void BM_LoadAndSaveFullSong(benchmark::State& state) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kumoito-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = PrepareFullSong(dir);
  const std::string out = (dir / "out.mwd").string();
  for (auto _ : state) {
    std::int32_t beats = 0, key = 0, measures = 0;
    auto song = CSongData::LoadOrCreate(path, beats, key, measures);
    benchmark::DoNotOptimize(song.get());
    SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, out, song->m_headerWord);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadAndSaveFullSong)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndBuildImage(benchmark::State& state) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kumoito-bench-mem-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = PrepareFullSong(dir);
  std::int32_t beats = 0, key = 0, measures = 0;
  auto song = CSongData::LoadOrCreate(path, beats, key, measures);
  std::vector<unsigned char> image(94540);
  song->PackExtraTexts();
  BuildScoreImage(image.data(), *song, song->m_beatsPerMeasure, song->m_keyIndex, 1);
  for (auto _ : state) {
    song->ResetSong();
    DecodeScoreImage(*song, image.data(), image.size());
    song->NormalizeCells();
    song->TrimTexts();
    song->PackExtraTexts();
    BuildScoreImage(image.data(), *song, song->m_beatsPerMeasure, song->m_keyIndex, 1);
    benchmark::DoNotOptimize(image.data());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DecodeAndBuildImage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kumoito

BENCHMARK_MAIN();
