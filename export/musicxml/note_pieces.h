#pragma once
// A song's notes and rests as notation writes them: each one cut at bar
// lines and at the edges of the cells divided in three that it shares with
// others, then into the values notation has (dotted or not, triplet
// sixteenths and eighths), so that every piece is one written note.
//
// Thread-safety: pure functions of the song they read.

#include <cstdint>
#include <vector>

#include "song/song_data.h"

namespace kumoito::musicxml {

// Divisions of a quarter note (a song beat): a sixteenth is 3, a sixth of a
// beat (a cell divided in three) 2.
inline constexpr int kDivisions = 12;
inline constexpr int kCellTicks = kDivisions / 2;

inline bool InThree(const NoteCell& cell) {
  return cell.pitch[2] != SLOT_NONE;
}

// One note or rest of the song: the slot that starts it and the ticks it
// lasts, from the top of the song.
struct SongEvent {
  int start = 0;
  int end = 0;
  int cell = 0;
  int slot = 0;
  std::int32_t value = SLOT_REST;  // a pitch, or SLOT_REST
};

// The song's events in order; a song that opens on a hold opens on a rest,
// and values no slot may hold go on as holds.
std::vector<SongEvent> CollectEvents(const CSongData& song);

// A written note or rest: one event cut at bar lines, at the edges of the
// cells in three it shares with others, and into values notation has.
struct Piece {
  const SongEvent* event = nullptr;
  int start = 0;
  int ticks = 0;
  const char* type = "16th";
  int dots = 0;
  bool inThree = false;
  bool first = false;  // of its event
  bool last = false;
  bool tupletStart = false;
  bool tupletStop = false;
};

// The pieces of the event's ticks [from, to), in measures of measureTicks.
std::vector<Piece> CutEvent(const CSongData& song, const SongEvent& e, int from, int to,
                            int measureTicks);

// Marks where each triplet group (the pieces of one cell in three) starts
// and stops.
void MarkTuplets(std::vector<Piece>& pieces);

}  // namespace kumoito::musicxml
