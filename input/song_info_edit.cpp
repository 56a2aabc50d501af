#include "input/song_info_edit.h"

#include <algorithm>

#include "common/sjis.h"
#include "song/meter.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

template <std::size_t N>
void StoreField(char (&field)[N], std::string_view edited, const std::string& shown) {
  if (edited == shown) {
    return;
  }
  SetFieldText(field, Utf8ToCp932Lenient(edited));
}

}  // namespace

CSongInfoEdit::CSongInfoEdit(CSongData& song)
    : m_song(song),
      m_title(Cp932ToUtf8Lenient(FieldText(song.m_info.title))),
      m_lyricist(Cp932ToUtf8Lenient(FieldText(song.m_info.lyricist))),
      m_composer(Cp932ToUtf8Lenient(FieldText(song.m_info.composer))),
      m_tempo(std::clamp<int>(song.m_info.tempo, kMinTempo, kMaxTempo)),
      m_beats(std::clamp<int>(song.m_beatsPerMeasure, kMinBeatsPerMeasure, kMaxBeatsPerMeasure)) {}

void CSongInfoEdit::Store(std::string_view title, std::string_view lyricist,
                          std::string_view composer) {
  StoreField(m_song.m_info.title, title, m_title);
  StoreField(m_song.m_info.lyricist, lyricist, m_lyricist);
  StoreField(m_song.m_info.composer, composer, m_composer);
  m_title = title;
  m_lyricist = lyricist;
  m_composer = composer;
}

bool CSongInfoEdit::BeatsFit(int beatsPerMeasure) const {
  return MetreFits(m_song, beatsPerMeasure);
}

bool CSongInfoEdit::StoreMetre(int tempo, int beatsPerMeasure) {
  if (beatsPerMeasure != m_song.m_beatsPerMeasure &&
      !ChangeBeatsPerMeasure(m_song, beatsPerMeasure)) {
    return false;
  }
  m_beats = m_song.m_beatsPerMeasure;
  if (tempo != m_tempo) {
    m_tempo = std::clamp(tempo, static_cast<int>(kMinTempo), static_cast<int>(kMaxTempo));
    m_song.m_info.tempo = m_tempo;
  }
  return true;
}

}  // namespace kumoito
