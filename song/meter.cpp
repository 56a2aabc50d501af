#include "song/meter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "song/song_data.h"

namespace kumoito {
namespace {

bool ValidMetre(int beats) {
  return beats >= kMinBeatsPerMeasure && beats <= kMaxBeatsPerMeasure;
}

// Copies the pitches and note marks (not the lyrics, which are the measure's
// own words) of measure `from` into measure `to`, at the current metre.
void CopyMeasureNotes(CSongData& song, int from, int to) {
  const int cells = 2 * song.m_beatsPerMeasure;
  for (int c = 0; c < cells; ++c) {
    const int source = from * cells + c;
    const int target = to * cells + c;
    std::memcpy(song.m_cells[target].pitch, song.m_cells[source].pitch,
                sizeof song.m_cells[target].pitch);
    for (int s = 0; s < kSlotsPerCell; ++s) {
      song.m_marks.At(target, s) = song.m_marks.At(source, s);
      song.m_marks.SyllableAt(target, s) = song.m_marks.SyllableAt(source, s);
    }
  }
}

// Measure-repeat signs replaced by the notes they stand for, front to back,
// so that a chain of signs copies what the first one was given.
void WriteOutMeasureRepeats(CSongData& song) {
  const int count = std::min<int>(song.m_measureCount, kMarkMeasureCount);
  for (int m = 1; m < count; ++m) {
    MeasureMarks& marks = song.m_marks.measures[static_cast<std::size_t>(m)];
    if ((marks.flags & kMeasureRepeat) != 0) {
      CopyMeasureNotes(song, m - 1, m);
      marks.flags = static_cast<std::uint8_t>(marks.flags & ~kMeasureRepeat);
    }
  }
}

// The measure marks as they fall under the new bar lines: a repeat start on
// the measure holding the old measure's first beat, a repeat end on the one
// holding its last, an ending on every measure that starts inside it.
std::vector<MeasureMarks> MovedMeasureMarks(const CSongData& song, int beats, int newCount) {
  const int oldBeats = song.m_beatsPerMeasure;
  const int oldCount = std::min<int>(song.m_measureCount, kMarkMeasureCount);
  std::vector<MeasureMarks> moved(static_cast<std::size_t>(newCount));
  for (int m = 0; m < oldCount; ++m) {
    const MeasureMarks& old = song.m_marks.measures[static_cast<std::size_t>(m)];
    const int first = m * oldBeats;
    const int last = first + oldBeats - 1;
    MeasureMarks& start = moved[static_cast<std::size_t>(std::min(first / beats, newCount - 1))];
    MeasureMarks& end = moved[static_cast<std::size_t>(std::min(last / beats, newCount - 1))];
    start.flags |= old.flags & kRepeatStart;
    if ((old.flags & kRepeatEnd) != 0) {
      end.flags |= kRepeatEnd;
      end.repeatCount = std::max(end.repeatCount, old.repeatCount);
    }
    for (int n = (first + beats - 1) / beats; n * beats <= last && n < newCount; ++n) {
      moved[static_cast<std::size_t>(n)].ending = old.ending;
    }
  }
  return moved;
}

}  // namespace

int MeasuresAtMetre(const CSongData& song, int beatsPerMeasure) {
  if (!ValidMetre(beatsPerMeasure) || !ValidMetre(song.m_beatsPerMeasure)) {
    return 0;
  }
  return (song.BeatCount() + beatsPerMeasure - 1) / beatsPerMeasure;
}

bool MetreFits(const CSongData& song, int beatsPerMeasure) {
  return ValidMetre(beatsPerMeasure) && ValidMetre(song.m_beatsPerMeasure) &&
         MeasuresAtMetre(song, beatsPerMeasure) * beatsPerMeasure <= kMaxBeats;
}

bool ChangeBeatsPerMeasure(CSongData& song, int beatsPerMeasure) {
  if (!MetreFits(song, beatsPerMeasure)) {
    return false;
  }
  if (beatsPerMeasure == song.m_beatsPerMeasure) {
    return true;
  }
  WriteOutMeasureRepeats(song);
  const int oldBeats = song.BeatCount();
  const int newCount = MeasuresAtMetre(song, beatsPerMeasure);
  const int newBeats = newCount * beatsPerMeasure;
  const std::vector<MeasureMarks> moved = MovedMeasureMarks(song, beatsPerMeasure, newCount);
  song.m_marks.ClearMeasures(0, kMarkMeasureCount);
  std::copy(moved.begin(), moved.end(), song.m_marks.measures.begin());

  // The beats that fill out the last measure: a rest, bare of marks, with the
  // chords that carry on from before.
  song.FillNewBeatChords(oldBeats, newBeats);
  song.m_marks.ClearCells(2 * oldBeats, 2 * newBeats);
  for (int c = 2 * oldBeats; c < 2 * newBeats; ++c) {
    NoteCell& cell = song.m_cells[c];
    cell.pitch[0] = c == 2 * oldBeats ? SLOT_REST : SLOT_HOLD;
    cell.pitch[1] = SLOT_HOLD;
    cell.pitch[2] = SLOT_NONE;
    std::memset(cell.lyric, 0, sizeof cell.lyric);
  }
  for (int b = oldBeats; b < newBeats; ++b) {
    song.m_beatMarkA[b] = 0;
    song.m_beatMarkB[b] = 0;
  }
  song.m_beatsPerMeasure = static_cast<std::int16_t>(beatsPerMeasure);
  song.m_measureCount = newCount;
  return true;
}

}  // namespace kumoito
