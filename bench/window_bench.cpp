// The main window as a user changes it: a zoom step, and a resize between
// the smallest window and a maximised one on a 1920 x 1080 screen, each
// with the window painted again, on the longest song of the library. Runs
// on Qt's offscreen platform; QT_SCALE_FACTOR=2 measures a screen of
// ratio 2.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window_widget.h"
#include "common/report.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

struct Longest {
  std::string path;
  int measures = 0;
};

Longest LongestLibrarySong() {
  Longest longest;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(KUMOITO_ARCHIVE, error)) {
    if (entry.path().extension() != ".mwd") {
      continue;
    }
    std::int32_t beats = 4, key = 0, measures = 0;
    auto song = CSongData::LoadExisting(entry.path().string(), beats, key, measures);
    if (song && song->m_measureCount > longest.measures) {
      longest = Longest{entry.path().string(), song->m_measureCount};
    }
  }
  return longest;
}

// A started window showing the longest song, its data in a folder of its own.
class BenchWindow {
 public:
  BenchWindow() {
    char pattern[] = "/tmp/kumoito-window-bench-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    m_folder = made != nullptr ? made : "/tmp";
    CKumoitoDlg::Options options;
    options.startupFolder = std::filesystem::path(KUMOITO_ARCHIVE).parent_path().string();
    options.dataFolder = m_folder + "/Kumoito";
    m_window = std::make_unique<KumoitoWindow>(options);
    m_window->show();
    m_started = m_window->Start() == CKumoitoDlg::StartResult::kInteractive;
    m_song = LongestLibrarySong();
    if (m_started && !m_song.path.empty()) {
      m_window->Logic().OpenScore(m_song.path, false);
    }
    QCoreApplication::processEvents();
  }
  ~BenchWindow() {
    m_window.reset();
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
  }
  bool Ready(benchmark::State& state) const {
    if (!m_started || m_song.path.empty()) {
      state.SkipWithError("no window or no library song");
      return false;
    }
    state.SetLabel(std::filesystem::path(m_song.path).filename().string() + ", " +
                   std::to_string(m_song.measures) + " measures, ratio " +
                   std::to_string(m_window->devicePixelRatioF()).substr(0, 3));
    return true;
  }
  KumoitoWindow& Window() { return *m_window; }

 private:
  std::string m_folder;
  std::unique_ptr<KumoitoWindow> m_window;
  Longest m_song;
  bool m_started = false;
};

// Every step after the other, and back: each iteration is one step taken
// and the whole window painted.
void BM_ZoomChangeAndRepaint(benchmark::State& state) {
  BenchWindow bench;
  if (!bench.Ready(state)) {
    return;
  }
  KumoitoWindow& window = bench.Window();
  window.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::size_t next = 0;
  for (int step : kZoomSteps) {
    window.ChooseZoom(step);  // every cell drawn once at every step
  }
  for (auto _ : state) {
    next = (next + 1) % kZoomSteps.size();
    window.ChooseZoom(kZoomSteps[next]);
    window.repaint();
  }
  window.ChooseZoom(100);
}
BENCHMARK(BM_ZoomChangeAndRepaint)
    ->Args({1064, 724})
    ->Args({1920, 1050})
    ->Unit(benchmark::kMillisecond);

// The smallest window and a maximised one in turn, at one zoom step.
void BM_ResizeAndRepaint(benchmark::State& state) {
  BenchWindow bench;
  if (!bench.Ready(state)) {
    return;
  }
  KumoitoWindow& window = bench.Window();
  window.ChooseZoom(static_cast<int>(state.range(0)));
  const QSize sizes[] = {QSize(KumoitoWindow::kClientWidth, KumoitoWindow::kClientHeight),
                         QSize(1920, 1050)};
  for (const QSize& size : sizes) {
    window.resize(size);  // the taller window's cells are made once
  }
  int turn = 0;
  for (auto _ : state) {
    turn = 1 - turn;
    window.resize(sizes[turn]);
    window.repaint();
  }
  window.ChooseZoom(100);
}
BENCHMARK(BM_ResizeAndRepaint)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("KUMOITO_MIDI_OUT", "none", 0);
  QApplication app(argc, argv);
  // The silent output's report lines would go between the figures.
  kumoito::ScopedReportCapture reports;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
