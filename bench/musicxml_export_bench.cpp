// MusicXML out of a 256-measure song (4/4, every beat a lyric and a chord, a
// technique and a finger on every other note, a two-string note every
// measure), in process: the work behind 出力 to .musicxml and a copy of the
// whole song to the clipboard. The archive of .mxl is timed apart.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "common/sjis.h"
#include "export/musicxml/musicxml_writer.h"
#include "import/mxl_archive.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

constexpr int kMeasures = 256;
constexpr const char* kChords[] = {"C", "Am7", "F", "G7"};

std::unique_ptr<CSongData> LongSong() {
  std::int32_t beats = 4, key = 0, measures = kMeasures;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  for (int c = 0; c < song->CellCount(); ++c) {
    NoteCell& cell = song->m_cells[static_cast<std::size_t>(c)];
    // Eighths and sixteenths in turn, a cell in three every other measure.
    cell.pitch[0] = 60 + (c * 5) % 24;
    cell.pitch[1] = c % 2 ? 62 + c % 12 : SLOT_HOLD;
    cell.pitch[2] = (c / 8) % 2 && c % 8 == 3 ? 64 : SLOT_NONE;
    SetFieldText(cell.lyric[0], Utf8ToCp932Lenient("さ"));
    NoteMarks& marks = song->m_marks.At(c, 0);
    marks.technique = c % 2 ? Technique::kSukui : Technique::kNone;
    marks.finger = static_cast<std::uint8_t>(c % 4);
    if (c % 8 == 0) {
      marks.together[0] = static_cast<std::uint8_t>(cell.pitch[0] - 7);
    }
  }
  for (int b = 0; b < song->BeatCount(); ++b) {
    SetFieldText(song->m_beatChords[static_cast<std::size_t>(b)].chord, kChords[(b / 4) % 4]);
  }
  song->m_marks.measures[8].flags = kRepeatStart;
  song->m_marks.measures[15].flags = kRepeatEnd;
  return song;
}

void BM_MusicXmlOfLongSong(benchmark::State& state) {
  const auto song = LongSong();
  const OpenStrings open = OpenStringPitches(0, 0);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string xml = musicxml::MusicXmlOfSong(*song, open);
    bytes = xml.size();
    benchmark::DoNotOptimize(xml.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MusicXmlOfLongSong)->Unit(benchmark::kMillisecond);

void BM_MxlArchiveOfLongSong(benchmark::State& state) {
  const auto song = LongSong();
  const std::string xml = musicxml::MusicXmlOfSong(*song, OpenStringPitches(0, 0));
  std::string why;
  for (auto _ : state) {
    const auto archive = import::WriteMxlArchive(xml, "score.musicxml", why);
    if (!archive) {
      state.SkipWithError(why.c_str());
      break;
    }
    benchmark::DoNotOptimize(archive->data());
  }
}
BENCHMARK(BM_MxlArchiveOfLongSong)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumoito

int main(int argc, char** argv) {
  // The archive module of this build, unless the caller names another.
  setenv("KUMOITO_MODULE_DIR", KUMOITO_BENCH_MODULE_DIR, 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
