// Importing the MusicXML corpus (tests/data/import-corpus/musicxml): every
// file read from memory, sniffed and written onto a song, as the window and
// the batch do. Reports the median import time per file next to the total.

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

std::vector<CorpusFile> LoadCorpus() {
  std::vector<CorpusFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(KUMOITO_MUSICXML_CORPUS_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".xml" && ext != ".musicxml" && ext != ".mxl") {
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

void BM_ImportMusicXmlCorpus(benchmark::State& state) {
  const std::vector<CorpusFile> files = LoadCorpus();
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
BENCHMARK(BM_ImportMusicXmlCorpus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito::import

BENCHMARK_MAIN();
