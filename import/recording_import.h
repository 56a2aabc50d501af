#pragma once
// Recordings to melodies: a monophonic recording's notes as they were
// heard, put on the beat grid that fits them (a whole tempo, sixteenths
// and triplets, 4/4), for the song writer.
//
// Thread-safety: pure functions.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "audio/transcribe/beat_grid.h"
#include "audio/transcribe/note_finder.h"
#include "import/import_error.h"
#include "import/melody.h"

namespace kumoito::import {

struct RecordingImportResult {
  std::optional<Melody> melody;
  std::optional<ImportError> error;
  std::vector<std::string> notices;  // UTF-8
  std::vector<PartSummary> parts;    // the one voice heard
  int chosenPart = 0;
  // What was heard and the grid chosen, for those who measure the import.
  std::vector<audio::HeardNote> heard;
  audio::BeatGrid grid;
};

RecordingImportResult ReadRecordingMelody(const unsigned char* data, std::size_t size);

// The melody of notes heard at the grid, without a recording (the part
// that the measurements and tests drive directly).
Melody MelodyFromHeardNotes(const std::vector<audio::HeardNote>& heard,
                            const audio::BeatGrid& grid);

// Recordings may be longer than a score file: about 25 minutes of CD sound.
inline constexpr std::size_t kMaxRecordingFileBytes = 256u << 20;

}  // namespace kumoito::import
