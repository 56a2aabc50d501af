// Typing a whole song of the library by keys in the real window (Qt's
// offscreen platform): さくらさくら, from an empty song of its shape, with
// the keys a user who knows the keys would press (the note value changed
// where that is cheaper than holding on). Counts the keystrokes per note
// and times each key with the window's refresh and paint; the typed song
// must hold the library's notes.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window_widget.h"
#include "common/report.h"
#include "input/score_cursor.h"
#include "render/qt/offscreen_widget.h"
#include "song/edit_ops.h"
#include "song/score_file.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

// This thread's processor time: what a key costs, whatever else the
// machine runs meanwhile.
double ThreadMilliseconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Press {
  Qt::Key key;
  char text;  // 0: key alone
  Qt::KeyboardModifiers modifiers;
};

constexpr std::array<int, 21> kRows = {1,  2,  3,  4,  6,  7,  8,  9,  10, 11, 13,
                                       14, 15, 16, 18, 19, 20, 21, 22, 23, 25};

void AddNumber(std::vector<Press>& keys, int row) {
  // A row no number names is the one below it raised (＃, ｂ, 1＃, 1ｂ).
  int raised = 0;
  while (std::find(kRows.begin(), kRows.end(), row) == kRows.end()) {
    --row;
    ++raised;
  }
  const int number = static_cast<int>(std::find(kRows.begin(), kRows.end(), row) - kRows.begin());
  const int digit = number % 10;
  keys.push_back({static_cast<Qt::Key>(Qt::Key_0 + digit), static_cast<char>('0' + digit),
                  number >= 10 ? Qt::AltModifier : Qt::NoModifier});
  for (int i = 0; i < raised; ++i) {
    keys.push_back({Qt::Key_NumberSign, '#', Qt::NoModifier});
  }
}

// The note value keys from one value to another: [ and ] halve and double
// the plain value, > dots it.
int ValueChanges(int from, int to, std::vector<Press>* keys) {
  auto plain = [](int v) { return (v & (v - 1)) == 0 ? v : v * 2 / 3; };
  const bool fromDot = plain(from) != from;
  const bool toDot = plain(to) != to;
  int count = 0;
  for (int b = plain(from); b != plain(to); b = b < plain(to) ? b * 2 : b / 2) {
    if (keys != nullptr) {
      keys->push_back(b < plain(to) ? Press{Qt::Key_BracketRight, ']', Qt::NoModifier}
                                    : Press{Qt::Key_BracketLeft, '[', Qt::NoModifier});
    }
    ++count;
  }
  if (fromDot != toDot) {
    if (keys != nullptr) {
      keys->push_back({Qt::Key_Greater, '>', Qt::ShiftModifier});
    }
    ++count;
  }
  return count;
}

struct Plan {
  std::vector<Press> keys;
  int entries = 0;  // notes and rests
};

Plan PlanTyping(const CSongData& song, const PitchPlaceTable& places, const OpenStrings& open) {
  Plan plan;
  int step = kStartStep;
  int string = 0;
  const int end = SixteenthCount(song);
  for (int p = 0; p < end;) {
    const std::int32_t value = SlotValueAt(song, p);
    const int length = NoteLengthAt(song, p);
    // The value to type it with: fewest keys for value changes and holds.
    int best = step;
    int bestCost = length % step == 0 ? length / step : 1 << 20;
    for (const int v : {1, 2, 3, 4, 6, 8, 12, 16}) {
      if (length % v == 0 && ValueChanges(step, v, nullptr) + length / v < bestCost) {
        best = v;
        bestCost = ValueChanges(step, v, nullptr) + length / v;
      }
    }
    ValueChanges(step, best, &plan.keys);
    step = best;
    if (value >= 0) {
      const PitchPlace place =
          PlaceOfMarkedNote(places, open, value, song.m_marks.At(p / 2, p % 2));
      for (; string < place.string; ++string) {
        plan.keys.push_back({Qt::Key_Up, 0, Qt::NoModifier});
      }
      for (; string > place.string; --string) {
        plan.keys.push_back({Qt::Key_Down, 0, Qt::NoModifier});
      }
      AddNumber(plan.keys, place.position);
    } else {
      plan.keys.push_back({Qt::Key_Space, 0, Qt::NoModifier});
    }
    for (int held = step; held < length; held += step) {
      plan.keys.push_back({Qt::Key_Minus, '-', Qt::NoModifier});
    }
    ++plan.entries;
    p += length;
  }
  return plan;
}

void BM_TypeSakuraByKeys(benchmark::State& state) {
  char pattern[] = "/tmp/kumoito-keyboard-bench-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  const std::string folder = made != nullptr ? made : "/tmp";
  std::int32_t beats = 4, key = 0, measures = 0;
  const std::string source = std::string(KUMOITO_ARCHIVE) + "/sakura.mwd";
  auto target = CSongData::LoadExisting(source, beats, key, measures);
  if (!target) {
    state.SkipWithError("no さくらさくら in the library");
    return;
  }
  // An empty song of its shape to type into.
  auto empty = CSongData::Clone(*target);
  ClearSlots(*empty, 0, SixteenthCount(*empty));
  const std::string emptyPath = folder + "/empty.mwd";
  SaveScore(*empty, empty->m_beatsPerMeasure, empty->m_keyIndex, emptyPath, 1);

  CKumoitoDlg::Options options;
  options.startupFolder = std::filesystem::path(KUMOITO_ARCHIVE).parent_path().string();
  options.dataFolder = folder + "/Kumoito";
  auto window = std::make_unique<KumoitoWindow>(options);
  window->show();
  window->Start();
  QWidget* score = window->findChild<QWidget*>("scoreContent");
  const Plan plan = PlanTyping(*target, window->Logic().ScoreView().Places(),
                               window->Logic().ScoreView().GetOpenStrings());
  std::vector<double> perKey;
  std::vector<double> cpuPerKey;
  bool typedRight = true;
  for (auto _ : state) {
    window->Logic().OpenScore(emptyPath, false);
    auto* first = window->findChild<OffScreenWidget*>(QString::number(CellControlNumber(0)));
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(3, first->height() * 6 / 10));
    score->setFocus();
    window->Logic().KeyCursor().SetStep(kStartStep);
    QCoreApplication::processEvents();
    for (const Press& press : plan.keys) {
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = ThreadMilliseconds();
      if (press.text != 0) {
        QTest::keyClick(score, press.text, press.modifiers);
      } else {
        QTest::keyClick(score, press.key, press.modifiers);
      }
      QCoreApplication::processEvents();
      cpuPerKey.push_back(ThreadMilliseconds() - cpuStart);
      perKey.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    }
    const CSongData& typed = *window->Logic().Song();
    for (int p = 0; p < SixteenthCount(*target); ++p) {
      typedRight = typedRight && SlotValueAt(typed, p) == SlotValueAt(*target, p);
    }
  }
  if (!typedRight) {
    state.SkipWithError("the typed song differs from the library's");
  }
  std::sort(perKey.begin(), perKey.end());
  std::sort(cpuPerKey.begin(), cpuPerKey.end());
  state.counters["keys"] = static_cast<double>(plan.keys.size());
  state.counters["notes"] = plan.entries;
  state.counters["keys_per_note"] =
      static_cast<double>(plan.keys.size()) / std::max(plan.entries, 1);
  if (!perKey.empty()) {
    state.counters["ms_per_key_median"] = perKey[perKey.size() / 2];
    state.counters["ms_per_key_p99"] = perKey[perKey.size() * 99 / 100];
    state.counters["ms_per_key_max"] = perKey.back();
    state.counters["cpu_ms_per_key_median"] = cpuPerKey[cpuPerKey.size() / 2];
    state.counters["cpu_ms_per_key_p99"] = cpuPerKey[cpuPerKey.size() * 99 / 100];
    state.counters["cpu_ms_per_key_max"] = cpuPerKey.back();
  }
  window.reset();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}
BENCHMARK(BM_TypeSakuraByKeys)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("KUMOITO_MIDI_OUT", "none", 0);
  kumoito::ScopedReportCapture reports;
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
