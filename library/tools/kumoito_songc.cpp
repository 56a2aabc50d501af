// kumoito_songc: builds one score file of the sample library from its song
// source. Run by the build for every library/songs/*.txt; single-threaded.
//
//   kumoito_songc SOURCE.txt OUTPUT.mwd

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "library/song_source.h"
#include "song/score_file.h"
#include "song/song_data.h"

namespace {

bool ReadText(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kumoito_songc SOURCE.txt OUTPUT.mwd\n");
    return 2;
  }
  std::string text;
  if (!ReadText(argv[1], text)) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
    return 1;
  }
  const kumoito::ParsedSource parsed = kumoito::ParseSongSource(text);
  if (parsed.error) {
    std::fprintf(stderr, "%s\n", kumoito::FormatSourceError(argv[1], *parsed.error).c_str());
    return 1;
  }
  std::unique_ptr<kumoito::CSongData> song = kumoito::BuildSong(parsed.song);
  if (!kumoito::SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, argv[2], 1)) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
