// Load + save of a full-capacity song: 1024 beats, every cell a note, every
// extra text full; and the same with a mark on every note and measure, which
// the file's extension carries. This is the work behind opening and saving a
// large score.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "song/score_file.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

// A technique, a finger, a player's string and a second note on every
// note, a repeat or ending on every measure, and the tuning.
void MarkEveryNote(CSongData& song) {
  for (int c = 0; c < kMaxCells; ++c) {
    for (int s = 0; s < 2; ++s) {
      NoteMarks& m = song.m_marks.At(c, s);
      m.technique = static_cast<Technique>(1 + (c + s) % (kTechniqueCount - 1));
      m.finger = static_cast<std::uint8_t>(1 + c % kMaxFinger);
      m.string = static_cast<std::uint8_t>(1 + s);
      m.together[0] = static_cast<std::uint8_t>(song.m_cells[c].pitch[s] + 5);
    }
  }
  for (int m = 0; m < song.m_measureCount; ++m) {
    song.m_marks.measures[static_cast<std::size_t>(m)] =
        MeasureMarks{static_cast<std::uint8_t>(m % 2 ? kRepeatEnd : kRepeatStart), 0,
                     static_cast<std::uint8_t>(m % 3), 0};
  }
  song.m_marks.tuning = TabTuning{1, 1, 5, 2};
}

std::string PrepareFullSong(const std::filesystem::path& dir, bool marked = false) {
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
  if (marked) {
    MarkEveryNote(*song);
  }
  const std::string path = (dir / (marked ? "marked.mwd" : "full.mwd")).string();
  SaveScore(*song, beats, key, path, 1);
  return path;
}

void BM_LoadAndSaveFullSong(benchmark::State& state) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kumoito-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = PrepareFullSong(dir, state.range(0) != 0);
  const std::string out = (dir / "out.mwd").string();
  for (auto _ : state) {
    std::int32_t beats = 0, key = 0, measures = 0;
    auto song = CSongData::LoadOrCreate(path, beats, key, measures);
    benchmark::DoNotOptimize(song.get());
    SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, out, song->m_headerWord);
  }
  std::filesystem::remove_all(dir);
}
// 0: no marks (the layout alone); 1: a mark on every note.
BENCHMARK(BM_LoadAndSaveFullSong)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
