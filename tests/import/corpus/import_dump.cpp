// import_dump: imports one foreign file the way the window and the batch do
// and prints the song it became, one struck note per line, so that a reader
// written independently of ours can check the import against the file.
//
//   kumoito_import_dump FILE [PART]
//
// Output (UTF-8):
//   beats-per-measure N
//   measures M
//   note CELL SLOT SLOTS PITCH LYRIC
// CELL is the half-beat cell from the top of the song, SLOT the slot within it
// and SLOTS how many slots the cell uses (2: sixteenths, 3: triplets), so the
// onset in beats is (CELL + SLOT / SLOTS) / 2. LYRIC is the syllable sung on
// the note, empty for none. Exit status 1 when the file does not import.
// Standard error gets "import-microseconds N": how long the import took.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/sjis.h"
#include "import/file_import.h"
#include "song/song_data.h"

namespace {

int UsedSlots(const kumoito::NoteCell& cell) {
  return cell.pitch[2] == kumoito::SLOT_NONE ? 2 : 3;
}

void PrintSong(const kumoito::CSongData& song) {
  std::printf("beats-per-measure %d\nmeasures %d\n", song.m_beatsPerMeasure, song.m_measureCount);
  const int cells = song.m_measureCount * 2 * song.m_beatsPerMeasure;
  for (int c = 0; c < cells && c < kumoito::kMaxCells; ++c) {
    const auto& cell = song.m_cells[static_cast<std::size_t>(c)];
    const int slots = UsedSlots(cell);
    for (int s = 0; s < slots; ++s) {
      if (cell.pitch[s] < 0)
        continue;
      const std::string lyric = kumoito::Cp932ToUtf8Lenient(kumoito::FieldText(cell.lyric[s]));
      std::printf("note %d %d %d %d %s\n", c, s, slots, cell.pitch[s], lyric.c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s FILE [PART]\n", argv[0]);
    return 2;
  }
  const int part = argc == 3 ? std::atoi(argv[2]) : -1;
  const auto start = std::chrono::steady_clock::now();
  const auto outcome = kumoito::import::ImportFile(argv[1], part);
  const auto took = std::chrono::steady_clock::now() - start;
  std::fprintf(
      stderr, "import-microseconds %lld\n",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
  if (!outcome.song) {
    std::fprintf(stderr, "%s: does not import\n", argv[1]);
    return 1;
  }
  PrintSong(*outcome.song);
  return 0;
}
