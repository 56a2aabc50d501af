#include "export/musicxml/note_pieces.h"

#include <algorithm>
#include <array>

#include "song/tuning.h"

namespace kumoito::musicxml {
namespace {

struct NoteValue {
  int ticks;
  const char* type;
  int dots;
};
constexpr std::array<NoteValue, 8> kValues = {{
    {48, "whole", 0},
    {36, "half", 1},
    {24, "half", 0},
    {18, "quarter", 1},
    {12, "quarter", 0},
    {9, "eighth", 1},
    {6, "eighth", 0},
    {3, "16th", 0},
}};

// Normal values from pos for ticks, never past the next beat when starting
// off it, so that the beats stay readable.
void AddNormalPieces(std::vector<Piece>& out, const SongEvent& e, int pos, int ticks,
                     int measureStart) {
  while (ticks > 0) {
    const int inBeat = (pos - measureStart) % kDivisions;
    const int limit = std::min(ticks, inBeat == 0 ? ticks : kDivisions - inBeat);
    const NoteValue* chosen = &kValues.back();
    for (const NoteValue& v : kValues) {
      if (v.ticks <= limit) {
        chosen = &v;
        break;
      }
    }
    const int take = std::min(chosen->ticks, ticks);
    out.push_back({&e, pos, take, chosen->type, chosen->dots});
    pos += take;
    ticks -= take;
  }
}

}  // namespace

std::vector<SongEvent> CollectEvents(const CSongData& song) {
  std::vector<SongEvent> events;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(c)];
    const int slots = InThree(cell) ? 3 : 2;
    const int slotTicks = kCellTicks / slots;
    for (int s = 0; s < slots; ++s) {
      const std::int32_t v = cell.pitch[s];
      const int tick = c * kCellTicks + s * slotTicks;
      // A song that opens on a hold opens on a rest; values no slot may
      // hold go on as holds.
      const bool starts = (v >= 0 && v <= kMaxPitch) || v == SLOT_REST || events.empty();
      if (!starts) {
        continue;
      }
      if (!events.empty()) {
        events.back().end = tick;
      }
      const std::int32_t value = (v >= 0 && v <= kMaxPitch) ? v : SLOT_REST;
      events.push_back({tick, tick, c, s, value});
    }
  }
  if (!events.empty()) {
    events.back().end = cells * kCellTicks;
  }
  return events;
}

std::vector<Piece> CutEvent(const CSongData& song, const SongEvent& e, int from, int to,
                            int measureTicks) {
  std::vector<int> cuts = {from, to};
  for (int m = (from / measureTicks + 1) * measureTicks; m < to; m += measureTicks) {
    cuts.push_back(m);
  }
  // A cell in three that the event only partly fills is written as a
  // triplet group of its own.
  for (int c = from / kCellTicks; c * kCellTicks < to; ++c) {
    const int a = c * kCellTicks;
    const int b = a + kCellTicks;
    if (InThree(song.m_cells[static_cast<std::size_t>(c)]) && (a < from || b > to)) {
      cuts.push_back(std::max(a, from));
      cuts.push_back(std::min(b, to));
    }
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const int a = cuts[i];
    const int n = cuts[i + 1] - a;
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(a / kCellTicks)];
    if (InThree(cell) && n < kCellTicks) {
      pieces.push_back({&e, a, n, n == 2 ? "16th" : "eighth", 0, true});
    } else {
      AddNormalPieces(pieces, e, a, n, a / measureTicks * measureTicks);
    }
  }
  if (!pieces.empty()) {
    pieces.front().first = true;
    pieces.back().last = true;
  }
  return pieces;
}

void MarkTuplets(std::vector<Piece>& pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    Piece& p = pieces[i];
    if (!p.inThree) {
      continue;
    }
    const auto sameGroup = [&](std::size_t j) {
      return pieces[j].inThree && pieces[j].start / kCellTicks == p.start / kCellTicks;
    };
    p.tupletStart = i == 0 || !sameGroup(i - 1);
    p.tupletStop = i + 1 == pieces.size() || !sameGroup(i + 1);
  }
}

}  // namespace kumoito::musicxml
