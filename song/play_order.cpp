#include "song/play_order.h"

#include <algorithm>

#include "song/song_data.h"

namespace kumoito {

std::vector<PlayedMeasure> PlayOrder(const CSongData& song) {
  const int count =
      song.BeatCount() > 0 ? std::min<int>(song.m_measureCount, kMarkMeasureCount) : 0;
  std::vector<int> source(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const bool repeatsPrevious =
        i > 0 && (song.m_marks.measures[static_cast<std::size_t>(i)].flags & kMeasureRepeat) != 0;
    source[static_cast<std::size_t>(i)] =
        repeatsPrevious ? source[static_cast<std::size_t>(i - 1)] : i;
  }

  std::vector<PlayedMeasure> order;
  const std::size_t limit = static_cast<std::size_t>(count) * kMaxPlayedPerMeasure;
  int start = 0;
  int pass = 1;
  bool afterEnding = false;
  for (int i = 0; i < count && order.size() < limit;) {
    const MeasureMarks& marks = song.m_marks.measures[static_cast<std::size_t>(i)];
    if (marks.ending == 0 && afterEnding) {
      // The endings are over: what follows is played once more from pass 1.
      start = i;
      pass = 1;
    }
    afterEnding = marks.ending != 0;
    if ((marks.flags & kRepeatStart) != 0 && i != start) {
      start = i;
      pass = 1;
    }
    if (marks.ending != 0 && marks.ending != pass) {
      ++i;
      continue;
    }
    order.push_back({i, source[static_cast<std::size_t>(i)]});
    if ((marks.flags & kRepeatEnd) != 0) {
      if (pass < marks.TimesPlayed()) {
        ++pass;
        i = start;
        afterEnding = false;
        continue;
      }
      start = i + 1;
      if (marks.ending == 0) {
        pass = 1;
      }
    }
    ++i;
  }
  return order;
}

}  // namespace kumoito
