#include "song/marks.h"

#include <algorithm>

namespace kumoito {

bool SongMarks::AnyMark() const {
  return style != TechniqueStyle::kUnset ||
         std::any_of(notes.begin(), notes.end(), [](const NoteMarks& m) { return !m.Empty(); }) ||
         std::any_of(measures.begin(), measures.end(),
                     [](const MeasureMarks& m) { return !m.Empty(); });
}

void SongMarks::ClearCells(int from, int to) {
  from = std::clamp(from, 0, kMarkCellCount);
  to = std::clamp(to, from, kMarkCellCount);
  std::fill(notes.begin() + Slot(from, 0), notes.begin() + Slot(to, 0), NoteMarks{});
}

void SongMarks::ClearMeasures(int from, int to) {
  from = std::clamp(from, 0, kMarkMeasureCount);
  to = std::clamp(to, from, kMarkMeasureCount);
  std::fill(measures.begin() + from, measures.begin() + to, MeasureMarks{});
}

}  // namespace kumoito
