#pragma once
// What the import fuzz targets check of every song the writer makes,
// whatever the file: the song fits its capacity and every slot holds a
// value a slot may hold, with slot 2 in use only in cells divided in three.

#include "common/sjis.h"
#include "fuzz/fuzz_support.h"
#include "import/melody.h"
#include "import/song_writer.h"
#include "song/arrangement.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito::fuzz {

inline void CheckMelody(const import::Melody& melody) {
  for (std::size_t i = 0; i < melody.notes.size(); ++i) {
    const import::MelodyNote& n = melody.notes[i];
    KUMOITO_FUZZ_CHECK(n.pitch >= 0 && n.pitch <= 127);
    KUMOITO_FUZZ_CHECK(n.duration > import::Rational(0));
    if (i > 0) {
      const import::MelodyNote& p = melody.notes[i - 1];
      KUMOITO_FUZZ_CHECK(p.onset < n.onset);
      KUMOITO_FUZZ_CHECK(p.onset + p.duration <= n.onset);
    }
  }
}

inline void CheckSong(CSongData& song) {
  KUMOITO_FUZZ_CHECK(song.m_beatsPerMeasure >= 1 && song.m_beatsPerMeasure <= 8);
  KUMOITO_FUZZ_CHECK(song.m_measureCount >= 1);
  KUMOITO_FUZZ_CHECK(song.m_measureCount * song.m_beatsPerMeasure <= kMaxBeats);
  KUMOITO_FUZZ_CHECK(song.m_info.tempo >= kMinTempo && song.m_info.tempo <= kMaxTempo);
  for (int c = 0; c < song.CellCount(); ++c) {
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(c)];
    for (std::int32_t v : cell.pitch) {
      KUMOITO_FUZZ_CHECK(v >= SLOT_NONE && v <= 127);
    }
    KUMOITO_FUZZ_CHECK(cell.pitch[0] != SLOT_NONE && cell.pitch[1] != SLOT_NONE);
    for (const auto& lyric : cell.lyric) {
      KUMOITO_FUZZ_CHECK(FieldLength(lyric, kLyricFieldSize) < kLyricFieldSize);
    }
  }
  // The window's arrangement after it: every note then lies on the neck.
  const KeyAndTuning chosen = ChooseKeyAndTuning(song, 0);
  ChangeKey(song, song.m_keyIndex, chosen.key);
  FitOctave(song, kFirstStringBasePitch);
  const OpenStrings open = OpenStringPitches(0, chosen.tuning);
  import::FitIntoPlayableRange(song, open);
  for (int c = 0; c < song.CellCount(); ++c) {
    for (std::int32_t v : song.m_cells[static_cast<std::size_t>(c)].pitch) {
      KUMOITO_FUZZ_CHECK(v < 0 || (v >= open[0] && v <= open[2] + kMaxPosition - 1));
    }
  }
}

inline void CheckWritten(const import::Melody& melody) {
  CheckMelody(melody);
  import::WrittenSong written = import::WriteSong(melody);
  KUMOITO_FUZZ_CHECK(written.song != nullptr);
  CheckSong(*written.song);
}

}  // namespace kumoito::fuzz
