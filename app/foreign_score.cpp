#include "app/foreign_score.h"

#include <algorithm>

#include "import/file_import.h"

namespace kumoito {

bool IsForeignScoreFile(const std::string& path) {
  return import::SniffFile(path) != import::FileKind::kScore;
}

ForeignSong LoadForeignSong(const std::string& path, const PartQuestion& askPart) {
  ForeignSong result;
  import::ImportOutcome outcome = import::ImportFile(path);
  const import::FileKind kind = import::SniffFile(path);
  const bool score =
      kind == import::FileKind::kMusicXml || kind == import::FileKind::kCompressedMusicXml;
  const auto withNotes =
      std::count_if(outcome.parts.begin(), outcome.parts.end(),
                    [](const import::PartSummary& p) { return p.noteCount > 0; });
  // A MIDI file's melody is found by rule; a score's parts are named, so
  // the user says which one sings.
  if (score && withNotes > 1 && askPart) {
    const std::optional<int> chosen = askPart(outcome.parts, std::max(outcome.chosenPart, 0));
    if (!chosen) {
      return result;
    }
    if (*chosen != outcome.chosenPart) {
      outcome = import::ImportFile(path, *chosen);
    }
  }
  if (outcome.error) {
    result.error = import::FormatImportError(path, *outcome.error);
    return result;
  }
  result.song = std::move(outcome.song);
  result.notices = std::move(outcome.notices);
  return result;
}

}  // namespace kumoito
