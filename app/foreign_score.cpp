#include "app/foreign_score.h"

#include <algorithm>

#include "import/file_import.h"

namespace kumoito {

bool IsForeignScoreFile(const std::string& path) {
  return import::SniffFile(path) != import::FileKind::kScore;
}

ForeignSong LoadForeignSong(const std::string& path, const PartQuestion& askPart) {
  ForeignSong result;
  import::ImportError readError;
  // Read once: another part is taken from the same bytes.
  const std::optional<std::string> bytes = import::ReadImportFile(path, readError);
  if (!bytes) {
    result.error = import::FormatImportError(path, readError);
    return result;
  }
  import::ImportOutcome outcome = import::ImportFileBytes(*bytes, path);
  const bool score = outcome.kind == import::FileKind::kMusicXml ||
                     outcome.kind == import::FileKind::kCompressedMusicXml;
  const auto withNotes =
      std::count_if(outcome.parts.begin(), outcome.parts.end(),
                    [](const import::PartSummary& p) { return p.noteCount > 0; });
  // A score's parts are named, so the user says which one sings; a MIDI
  // file's melody is found by rule, and the user asked only when the rule
  // had several tracks to guess between.
  const bool guessed = outcome.kind == import::FileKind::kMidi && outcome.candidates > 1;
  if (((score && withNotes > 1) || guessed) && askPart) {
    const std::optional<int> chosen = askPart(outcome.parts, std::max(outcome.chosenPart, 0));
    if (!chosen) {
      return result;
    }
    if (*chosen != outcome.chosenPart) {
      outcome = import::ImportFileBytes(*bytes, path, *chosen);
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
