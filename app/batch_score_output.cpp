#include "app/batch_score_output.h"

#include "song/score_file.h"
#include "song/song_data.h"

namespace kumoito {

bool IsScoreOutputPath(std::string_view path) {
  if (path.size() < 4) {
    return false;
  }
  std::string end(path.substr(path.size() - 4));
  for (char& c : end) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return end == ".mwd";
}

bool WriteBatchScore(CSongData& song, const std::string& path) {
  return SaveScore(song, song.m_beatsPerMeasure, song.m_keyIndex, path, song.m_headerWord);
}

}  // namespace kumoito
