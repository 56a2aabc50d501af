#include "import/recording_import.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "audio/sound_file.h"
#include "common/ui_text.h"

namespace kumoito::import {

Melody MelodyFromHeardNotes(const std::vector<audio::HeardNote>& heard,
                            const audio::BeatGrid& grid) {
  Melody melody;
  melody.tempo = grid.bpm;
  std::vector<double> onsets;
  for (const audio::HeardNote& n : heard) {
    onsets.push_back(n.onset);
  }
  const std::vector<std::int64_t> steps = audio::QuantiseOnsets(onsets, grid);
  const double stepSeconds = grid.BeatSeconds() / audio::kGridSteps;
  const std::int64_t sixteenth = audio::kGridSteps / 4;
  std::int64_t lastStart = -1;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    // Onsets before the first beat line (none, as the grid is chosen) are
    // kept at its start rather than dropped.
    const std::int64_t start = std::max<std::int64_t>(steps[i], 0);
    if (start <= lastStart) {
      continue;
    }
    std::int64_t end = sixteenth * std::llround((heard[i].end - grid.origin) / stepSeconds /
                                                static_cast<double>(sixteenth));
    end = std::max(end, start + sixteenth);
    if (i + 1 < heard.size()) {
      end = std::min(end, steps[i + 1]);
    }
    if (end <= start) {
      continue;
    }
    MelodyNote note;
    note.onset = Rational(start, audio::kGridSteps);
    note.duration = Rational(end - start, audio::kGridSteps);
    note.pitch = std::clamp(heard[i].pitch, 0, 127);
    melody.notes.push_back(note);
    lastStart = start;
  }
  return melody;
}

RecordingImportResult ReadRecordingMelody(const unsigned char* data, std::size_t size) {
  RecordingImportResult result;
  std::string why;
  const std::optional<audio::SoundClip> clip =
      audio::DecodeSound(std::string_view(reinterpret_cast<const char*>(data), size), why);
  if (!clip) {
    result.error = ImportError{why};
    return result;
  }
  result.heard = audio::FindNotes(*clip);
  if (result.heard.empty()) {
    result.error = ImportError{Ui::Tr("録音から音を聞き取れませんでした。")};
    return result;
  }
  std::vector<double> onsets;
  for (const audio::HeardNote& n : result.heard) {
    onsets.push_back(n.onset);
  }
  result.grid = audio::EstimateBeatGrid(onsets);
  result.melody = MelodyFromHeardNotes(result.heard, result.grid);
  PartSummary part;
  part.noteCount = static_cast<int>(result.melody->notes.size());
  for (const MelodyNote& n : result.melody->notes) {
    part.lowest = part.lowest < 0 ? n.pitch : std::min(part.lowest, n.pitch);
    part.highest = std::max(part.highest, n.pitch);
  }
  result.parts.push_back(part);
  result.notices.push_back(
      Ui::Format(Ui::Tr("録音から %1 音を聞き取りました (テンポ %2)。"),
                 {std::to_string(part.noteCount), std::to_string(result.grid.bpm)}));
  return result;
}

}  // namespace kumoito::import
