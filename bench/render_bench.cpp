// The two pictures users wait for: a refresh of the 48 score cells (every
// scroll, key or tuning change; also with marks on every note) and the export of a long song to a
// file, as an image, as SVG and as PDF.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/config_control.h"
#include "render/glyph_source.h"
#include "render/image_file.h"
#include "render/score_export.h"
#include "render/score_view.h"
#include "render/vector_export.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

struct Window {
  Window() {
    for (int i = 0; i <= kScoreCellCount; ++i) {
      controls.push_back(std::make_unique<COffScreenControl>());
    }
    view.CreateScoreCells(*controls[0], ScoreCellRect(0), 0, 48, nullptr);
    for (int i = 1; i < kScoreCellCount; ++i) {
      view.AddScoreCell(*controls[i], ScoreCellRect(i));
      controls[i]->m_id = i;
    }
    view.SetSettings(&settings);
  }
  std::vector<std::unique_ptr<COffScreenControl>> controls;
  CScoreView view;
  SettingsBlock settings = kDefaultSettings;
};

// Every half beat a note with a lyric: 8 entries per 4/4 measure, a mix of
// one- and two-character kandokoro.
std::unique_ptr<CSongData> FullSong(int measures) {
  std::int32_t beats = 4, key = 0;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  for (int c = 0; c < song->CellCount(); ++c) {
    song->m_cells[c].pitch[0] = 48 + (c * 5) % 40;
    song->m_cells[c].pitch[1] = SLOT_HOLD;
    song->m_cells[c].lyric[0][0] = '\x82';
    song->m_cells[c].lyric[0][1] = '\xA0';  // あ
  }
  return song;
}

void BM_RefreshScoreView(benchmark::State& state) {
  Window w;
  auto song = FullSong(48);
  w.view.SetSong(song.get());
  w.view.RefreshScoreView();  // glyph cache warm, as after the first paint
  for (auto _ : state) {
    w.view.RefreshScoreView();
  }
}
BENCHMARK(BM_RefreshScoreView)->Unit(benchmark::kMicrosecond);

// The same song with marks on every note: Arg(0) a technique only, in turn
// each of them; Arg(1) also a finger on every note, every third note a
// two-string note and a repeat with an ending every four measures. Arg(2)
// and Arg(3) are the same above the number. A marked song should refresh
// within 1.5 times the plain one.
void BM_RefreshScoreViewMarked(benchmark::State& state) {
  Window w;
  auto song = FullSong(48);
  const bool all = state.range(0) % 2 != 0;
  for (int c = 0; c < song->CellCount(); ++c) {
    NoteMarks& marks = song->m_marks.At(c, 0);
    marks.technique = static_cast<Technique>(1 + c % (kTechniqueCount - 1));
    if (all) {
      marks.finger = static_cast<std::uint8_t>(1 + c % kMaxFinger);
      if (c % 3 == 0) {
        marks.together[0] = static_cast<std::uint8_t>(song->m_cells[c].pitch[0] + 5);
      }
    }
  }
  for (int m = 0; all && m < 48; m += 4) {
    song->m_marks.measures[static_cast<std::size_t>(m)].flags = kRepeatStart;
    song->m_marks.measures[static_cast<std::size_t>(m + 1)] = MeasureMarks{kRepeatEnd, 3, 1, 0};
  }
  song->m_marks.style = state.range(0) >= 2 ? TechniqueStyle::kAbove : TechniqueStyle::kBelow;
  w.view.SetSong(song.get());
  w.view.RefreshScoreView();
  for (auto _ : state) {
    w.view.RefreshScoreView();
  }
}
BENCHMARK(BM_RefreshScoreViewMarked)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// The same with the 口三味線 row on: a syllable under every note.
void BM_RefreshScoreViewWithSyllables(benchmark::State& state) {
  Window w;
  auto song = FullSong(48);
  w.view.SetSong(song.get());
  w.view.SetSyllablesShown(true);
  w.view.RefreshScoreView();
  for (auto _ : state) {
    w.view.RefreshScoreView();
  }
}
BENCHMARK(BM_RefreshScoreViewWithSyllables)->Unit(benchmark::kMicrosecond);

// A whole export to a file: 0 BMP, 1 PNG.
void BM_ExportScoreImage256Measures(benchmark::State& state) {
  Window w;
  auto song = FullSong(256);
  w.view.SetSong(song.get());
  w.view.RefreshScoreView();
  const bool png = state.range(0) == 1;
  const auto path =
      std::filesystem::temp_directory_path() /
      ("kumoito-export-bench-" + std::to_string(::getpid()) + (png ? ".png" : ".bmp"));
  for (auto _ : state) {
    ExportScoreImage(w.view, *w.controls[kScoreCellCount], path.string(),
                     png ? ImageFormat::kPng : ImageFormat::kBmp);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportScoreImage256Measures)
    ->ArgName("png")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void BM_ExportSvg256Measures(benchmark::State& state) {
  Window w;
  auto song = FullSong(256);
  w.view.SetSong(song.get());
  const auto path = std::filesystem::temp_directory_path() /
                    ("kumoito-export-bench-" + std::to_string(::getpid()) + ".svg");
  std::string why;
  for (auto _ : state) {
    if (!ExportScoreSvg(w.view, path.string(), why)) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  state.SetLabel(std::to_string(std::filesystem::file_size(path)) + " bytes");
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportSvg256Measures)->Unit(benchmark::kMillisecond);

void BM_ExportPdf256Measures(benchmark::State& state) {
  // The print module of this build.
  ::setenv("KUMOITO_MODULE_DIR", KUMOITO_MODULES, 0);
  Window w;
  auto song = FullSong(256);
  w.view.SetSong(song.get());
  const PrintHeader header{"Bench", "", "", "本調子", "C", "C", 120};
  const auto path = std::filesystem::temp_directory_path() /
                    ("kumoito-export-bench-" + std::to_string(::getpid()) + ".pdf");
  std::string why;
  for (auto _ : state) {
    if (!ExportScorePdf(w.view, header, path.string(), why)) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  if (std::filesystem::exists(path)) {
    state.SetLabel(std::to_string(std::filesystem::file_size(path)) + " bytes");
    std::filesystem::remove(path);
  }
}
BENCHMARK(BM_ExportPdf256Measures)->Unit(benchmark::kMillisecond);

// PNG settings on a real page of 32 measures: palette or RGB, zlib level,
// filter (0x08 none, 0x10 sub, 0xF8 all, libpng's adaptive choice). The
// label gives the file size.
void BM_EncodePng(benchmark::State& state) {
  Window w;
  auto song = FullSong(32);
  w.view.SetSong(song.get());
  w.view.RefreshScoreView();
  const auto path = std::filesystem::temp_directory_path() /
                    ("kumoito-png-bench-" + std::to_string(::getpid()) + ".bmp");
  ExportScoreImage(w.view, *w.controls[kScoreCellCount], path.string());
  std::vector<unsigned char> bmp(std::filesystem::file_size(path));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  const bool read = f != nullptr && std::fread(bmp.data(), 1, bmp.size(), f) == bmp.size();
  if (f != nullptr) {
    std::fclose(f);
  }
  std::filesystem::remove(path);
  const auto page = read ? DecodeBitmap(bmp) : std::nullopt;
  if (!page) {
    state.SkipWithError("no page");
    return;
  }
  const PngSettings settings{state.range(0) != 0, static_cast<int>(state.range(1)),
                             static_cast<int>(state.range(2))};
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = EncodePng(*page, settings)->size();
  }
  state.SetLabel(std::to_string(bytes) + " bytes");
}
BENCHMARK(BM_EncodePng)
    ->ArgNames({"palette", "level", "filter"})
    ->Args({0, 6, 0xF8})
    ->Args({0, 1, 0x10})
    ->Args({1, 6, 0xF8})
    ->Args({1, 9, 0x08})
    ->Args({1, 6, 0x08})
    ->Args({1, 3, 0x08})
    ->Args({1, 1, 0x08})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kumoito

BENCHMARK_MAIN();
