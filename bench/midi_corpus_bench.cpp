// Importing the MIDI corpus (tests/data/import-corpus/midi): every file
// read from memory, its melody found and written onto a song, as the
// window and the batch do. Reports the median import time per file.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "import/file_import.h"

namespace kumoito::import {
namespace {

struct CorpusFile {
  std::string path;
  std::string bytes;
};

std::vector<CorpusFile> LoadMidiCorpus() {
  std::vector<CorpusFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(KUMOITO_MIDI_CORPUS_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mid" && ext != ".midi" && ext != ".kar") {
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    files.push_back({entry.path().string(),
                     {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
  }
  std::sort(files.begin(), files.end(),
            [](const CorpusFile& a, const CorpusFile& b) { return a.path < b.path; });
  return files;
}

void BM_ImportMidiCorpus(benchmark::State& state) {
  const std::vector<CorpusFile> files = LoadMidiCorpus();
  std::vector<double> micros;
  for (auto _ : state) {
    for (const CorpusFile& file : files) {
      const auto start = std::chrono::steady_clock::now();
      ImportOutcome outcome = ImportFileBytes(file.bytes, file.path);
      benchmark::DoNotOptimize(outcome.song);
      micros.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count());
      if (!outcome.song) {
        state.SkipWithError(("does not import: " + file.path).c_str());
        return;
      }
    }
  }
  std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["median_us_per_file"] = micros.empty() ? 0 : micros[micros.size() / 2];
}
BENCHMARK(BM_ImportMidiCorpus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito::import

BENCHMARK_MAIN();
