// Undo and redo as the user waits for them: one note put back and the 48
// score cells drawn again, through the main window's logic; and the memory
// that 200 steps of a full song take.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "input/input_tool.h"
#include "song/edit_history.h"
#include "song/score_file.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

// Every half beat a note: a full song of 128 four-beat measures.
std::unique_ptr<CSongData> FullSong(int measures) {
  std::int32_t beats = 4, key = 0;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  for (int c = 0; c < song->CellCount(); ++c) {
    song->m_cells[c].pitch[0] = 48 + (c * 5) % 30;
    song->m_cells[c].pitch[1] = SLOT_HOLD;
  }
  return song;
}

// The main window's logic, without a window, with a full song open and one
// note written by the input tool.
struct Session {
  Session() {
    folder = std::filesystem::temp_directory_path() /
             ("kumoito-undo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    CKumoitoDlg::Options options;
    options.startupFolder = folder.string();
    options.dataFolder = (folder / "Kumoito").string();
    options.cacheFolder = (folder / "cache").string();
    logic = std::make_unique<CKumoitoDlg>(face, options);
    logic->Initialize();
    const std::string path = (folder / "full.mwd").string();
    auto song = FullSong(128);
    SaveScore(*song, 4, 0, path, 1);
    logic->OpenScore(path, false);
    logic->InputTool().SelectPosition(3, 5);
    logic->InputTool().OnTypeSelected(kTypeRest);
  }
  ~Session() {
    logic.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::filesystem::path folder;
  HeadlessFace face;
  std::unique_ptr<CKumoitoDlg> logic;
};

// One iteration is two steps: the note undone, then redone, each with the
// refresh of every score cell and of the input tool.
void BM_UndoThenRedoOneNote(benchmark::State& state) {
  Session session;
  if (!session.logic->History().CanUndo()) {
    state.SkipWithError("no step was recorded");
    return;
  }
  for (auto _ : state) {
    session.logic->Undo();
    session.logic->Redo();
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_UndoThenRedoOneNote)->Unit(benchmark::kMicrosecond);

// 200 steps on a full song: 0 single notes, 1 the largest steps there are
// (the song cut to one measure and lengthened again, every cell rewritten).
void BM_Record200Steps(benchmark::State& state) {
  const bool large = state.range(0) == 1;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto song = FullSong(128);
    EditHistory history;
    state.ResumeTiming();
    for (int i = 0; i < 200; ++i) {
      history.BeginEdit(*song, "step");
      if (large) {
        song->SetMeasureCount(i % 2 == 0 ? 1 : 128);
      } else {
        song->m_cells[(i * 37) % song->CellCount()].pitch[i % 2] = 40 + i % 50;
      }
      history.CommitEdit(*song);
    }
    bytes = history.MemoryBytes();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["MiB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_Record200Steps)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito

BENCHMARK_MAIN();
