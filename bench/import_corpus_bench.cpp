// Importing the corpora of files other people wrote (tests/data/import-corpus):
// every file read from memory, sniffed, its melody found and written onto a
// song, as the window and the batch do. Reports the median import time per
// file of each corpus.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "import/file_import.h"

namespace kumoito::import {
namespace {

struct CorpusFile {
  std::string path;
  std::string bytes;
};

std::vector<CorpusFile> LoadCorpus(const std::string& folder,
                                   std::initializer_list<std::string_view> extensions) {
  std::vector<CorpusFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (std::find(extensions.begin(), extensions.end(), ext) == extensions.end()) {
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

void ImportCorpus(benchmark::State& state, const std::vector<CorpusFile>& files) {
  std::vector<double> perFile;
  for (auto _ : state) {
    for (const CorpusFile& file : files) {
      const auto start = std::chrono::steady_clock::now();
      ImportOutcome outcome = ImportFileBytes(file.bytes, file.path);
      benchmark::DoNotOptimize(outcome.song);
      perFile.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count());
      if (!outcome.song) {
        state.SkipWithError(("does not import: " + file.path).c_str());
        return;
      }
    }
  }
  std::nth_element(perFile.begin(), perFile.begin() + perFile.size() / 2, perFile.end());
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["median_us_per_file"] = perFile.empty() ? 0 : perFile[perFile.size() / 2];
}

void BM_ImportMusicXmlCorpus(benchmark::State& state) {
  // .mxl files are inflated by the archive module of this build.
  ::setenv("KUMOITO_MODULE_DIR", KUMOITO_BENCH_MODULE_DIR, 0);
  ImportCorpus(state,
               LoadCorpus(KUMOITO_IMPORT_CORPUS_DIR "/musicxml", {".xml", ".musicxml", ".mxl"}));
}
BENCHMARK(BM_ImportMusicXmlCorpus)->Unit(benchmark::kMillisecond);

void BM_ImportMidiCorpus(benchmark::State& state) {
  ImportCorpus(state, LoadCorpus(KUMOITO_IMPORT_CORPUS_DIR "/midi", {".mid", ".midi", ".kar"}));
}
BENCHMARK(BM_ImportMidiCorpus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito::import

BENCHMARK_MAIN();
