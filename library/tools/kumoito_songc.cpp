// kumoito_songc: builds one score file of the sample library from its song
// source. Run by the build for every library/songs/*.txt; single-threaded.
//
//   kumoito_songc SOURCE.txt OUTPUT.mwd

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "common/file_util.h"
#include "library/song_source.h"
#include "song/score_file.h"
#include "song/song_data.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kumoito_songc SOURCE.txt OUTPUT.mwd\n");
    return 2;
  }
  // A song source is a page of text; a megabyte is far beyond any.
  std::error_code why;
  const std::optional<std::string> read = kumoito::ReadWholeFile(argv[1], 1u << 20, why);
  if (!read) {
    std::fprintf(stderr, "%s: cannot be read: %s\n", argv[1], why.message().c_str());
    return 1;
  }
  const std::string& text = *read;
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
