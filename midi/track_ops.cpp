#include "midi/track_ops.h"

#include <algorithm>
#include <iterator>
#include <list>
#include <utility>
#include <vector>

#include "midi/midi_report.h"

namespace kumoito::midi {
namespace {

using EventPtr = std::unique_ptr<MidiEvent>;
using EventList = std::list<EventPtr>;

// Insertions in the middle of a long track are cheap in a list; the
// conversions below work on one and hand the events back in order.
EventList TakeEvents(MidiTrack& track) {
  EventList list;
  for (auto& e : track.events) {
    list.push_back(std::move(e));
  }
  track.events.clear();
  return list;
}

void PutEvents(MidiTrack& track, EventList& list) {
  track.events.clear();
  track.events.reserve(list.size());
  for (auto& e : list) {
    track.events.push_back(std::move(e));
  }
}

bool IsNote(const MidiEvent& e) {
  return e.kind == EV_NOTE_ON || e.kind == EV_NOTE_OFF;
}

// Exchanges two events but leaves each delta at its position, so the run the
// two belong to keeps its timing.
void SwapKeepingDeltas(MidiTrack& track, std::size_t a, std::size_t b) {
  if (a == b) {
    return;
  }
  std::swap(track.events[a], track.events[b]);
  std::swap(track.events[a]->delta, track.events[b]->delta);
}

// Moves the events that satisfy moves to the front of their run, keeping the
// order within both groups; the deltas stay at their positions.
template <typename Pred>
void MoveToRunFront(MidiTrack& track, Pred moves) {
  auto& ev = track.events;
  std::vector<std::int32_t> deltas;
  std::size_t start = 0;
  while (start < ev.size()) {
    std::size_t end = start + 1;
    while (end < ev.size() && ev[end]->delta == 0) {
      ++end;
    }
    if (end - start > 1) {
      deltas.clear();
      for (std::size_t k = start; k < end; ++k) {
        deltas.push_back(ev[k]->delta);
      }
      std::stable_partition(ev.begin() + static_cast<std::ptrdiff_t>(start),
                            ev.begin() + static_cast<std::ptrdiff_t>(end),
                            [&](const std::unique_ptr<MidiEvent>& e) { return moves(*e); });
      for (std::size_t k = start; k < end; ++k) {
        ev[k]->delta = deltas[k - start];
      }
    }
    start = end;
  }
}

// A note off that shares its tick with an earlier note on of the same run
// moves before it, so a repeated pitch is released before it sounds again.
void NoteOffFirst(MidiTrack& track) {
  for (std::size_t j = 1; j < track.events.size(); ++j) {
    if (track.events[j]->kind != EV_NOTE_OFF || track.events[j]->delta != 0) {
      continue;
    }
    for (std::size_t k = j; k-- > 0;) {
      if (track.events[k]->kind == EV_NOTE_ON) {
        SwapKeepingDeltas(track, k, j);
        break;
      }
      if (track.events[k]->delta != 0) {
        break;
      }
    }
  }
}

}  // namespace

void CompactTrack(MidiTrack& track) {
  std::int64_t carry = 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < track.events.size(); ++i) {
    auto& e = track.events[i];
    if (e->kind == EV_DELETED) {
      carry += e->delta;
      continue;
    }
    e->delta = ClampTicks(e->delta + carry);
    carry = 0;
    track.events[out++] = std::move(e);
  }
  track.events.resize(out);
}

void KeepOneEndOfTrackLast(MidiTrack& track) {
  auto& ev = track.events;
  std::unique_ptr<MidiEvent> end;
  std::int64_t carry = 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < ev.size(); ++i) {
    if (IsEndOfTrack(*ev[i]) && i + 1 < ev.size()) {
      carry += ev[i]->delta;
      if (!end) {
        end = std::move(ev[i]);
      }
      continue;
    }
    ev[i]->delta = ClampTicks(ev[i]->delta + carry);
    carry = 0;
    ev[out++] = std::move(ev[i]);
  }
  ev.resize(out);
  if (end && !IsEndOfTrack(*ev.back())) {
    end->delta = 0;
    ev.push_back(std::move(end));
  }
}

void ExpandNotes(MidiTrack& track) {
  if (track.form != FORM_NOTES) {
    ReportTrackError(kTrackInternal);
    return;
  }
  for (auto& e : track.events) {
    if (e->kind == EV_NOTE && (e->duration == 0 || e->velocity == 0)) {
      e->kind = EV_DELETED;
    }
  }
  CompactTrack(track);

  EventList list = TakeEvents(track);
  std::size_t count = list.size();
  bool full = false;
  for (auto it = list.begin(); it != list.end(); ++it) {
    MidiEvent& on = **it;
    if (on.kind != EV_NOTE) {
      continue;
    }
    on.kind = EV_NOTE_ON;
    const std::int64_t d = on.duration > 0 ? on.duration : 0;
    on.duration = 0;
    if (count >= static_cast<std::size_t>(track.EventRoom())) {
      if (!full) {
        ReportTrackError(kTrackTooMuchData);
        full = true;
      }
      continue;
    }
    auto off = std::make_unique<MidiEvent>();
    off->kind = EV_NOTE_OFF;
    off->note = on.note;
    off->channel = on.channel;
    off->velocity = 64;
    // The note off goes before the first later event at or beyond its end,
    // so it lands ahead of every event of the tick it ends on.
    std::int64_t s = 0;
    auto next = std::next(it);
    while (next != list.end()) {
      s += (*next)->delta;
      if (s >= d) {
        break;
      }
      ++next;
    }
    if (next != list.end()) {
      off->delta = static_cast<std::int32_t>((*next)->delta - (s - d));
      (*next)->delta = static_cast<std::int32_t>(s - d);
    } else {
      off->delta = ClampTicks(d - s);
    }
    list.insert(next, std::move(off));
    ++count;
  }

  PutEvents(track, list);
  // Note offs past the end were put after it.
  KeepOneEndOfTrackLast(track);
  track.form = FORM_ON_OFF;

  NoteOffFirst(track);
}

void CollapseNotes(MidiTrack& track) {
  if (track.form != FORM_ON_OFF) {
    ReportTrackError(kTrackInternal);
    return;
  }
  EventList list = TakeEvents(track);
  for (auto& e : list) {
    if (e->kind == EV_NOTE_ON && e->velocity == 0) {
      e->kind = EV_NOTE_OFF;
    }
  }
  for (auto it = list.begin(); it != list.end(); ++it) {
    MidiEvent& on = **it;
    if (on.kind != EV_NOTE_ON) {
      continue;
    }
    on.kind = EV_NOTE;
    std::int64_t s = 0;
    for (auto next = std::next(it); next != list.end(); ++next) {
      MidiEvent& e = **next;
      s += e.delta;
      if (e.kind == EV_NOTE_OFF && e.channel == on.channel && e.note == on.note) {
        on.duration = ClampTicks(s);
        auto after = std::next(next);
        if (after != list.end()) {
          (*after)->delta = ClampTicks(std::int64_t{(*after)->delta} + e.delta);
        }
        list.erase(next);
        break;
      }
    }
  }
  PutEvents(track, list);
  for (auto& e : track.events) {
    if (e->kind == EV_NOTE_OFF) {
      e->kind = EV_DELETED;
    }
  }
  bool reported = false;
  for (auto& e : track.events) {
    if (e->kind != EV_NOTE) {
      continue;
    }
    if (e->duration < 0 && !reported) {
      ReportTrackError(kTrackInternal);
      reported = true;
    }
    if (e->duration == 0) {
      e->kind = EV_DELETED;
    }
  }
  CompactTrack(track);
  track.form = FORM_NOTES;
}

bool RescaleTrack(MidiTrack& track, std::int32_t division) {
  if (division == kPlayerDivision) {
    return false;
  }
  if (track.form != FORM_NOTES || division <= 0) {
    ReportTrackError(kTrackInternal);
    return false;
  }
  bool lengthened = false;
  std::int64_t remainder = 0;
  for (auto& e : track.events) {
    const std::int64_t t = remainder + e->delta;
    const std::int64_t scaled = t * kPlayerDivision / division;
    remainder = t - scaled * division / kPlayerDivision;
    e->delta = ClampTicks(scaled);
    if (e->kind == EV_NOTE) {
      e->duration = ClampTicks(std::int64_t{e->duration} * kPlayerDivision / division);
      if (e->duration == 0) {
        e->duration = 1;
        lengthened = true;
      }
    }
  }
  CompactTrack(track);
  return lengthened;
}

void OrderSimultaneousEvents(MidiTrack& track) {
  MoveToRunFront(track, [](const MidiEvent& e) { return !IsNote(e) && !IsEndOfTrack(e); });
  MoveToRunFront(track, [](const MidiEvent& e) {
    return e.kind == EV_SYSEX || e.kind == EV_SYSEX_CONTINUATION;
  });
  NoteOffFirst(track);
}

bool AppendEvent(MidiTrack& track, std::unique_ptr<MidiEvent> event) {
  if (!event) {
    return false;
  }
  if (track.EventCount() >= track.EventRoom()) {
    ReportTrackError(kTrackTooMuchData);
    return false;
  }
  track.events.push_back(std::move(event));
  return true;
}

void RemoveEvent(MidiTrack& track, std::int32_t index) {
  if (index < 0 || index >= track.EventCount()) {
    return;
  }
  const auto i = static_cast<std::size_t>(index);
  if (i + 1 < track.events.size()) {
    track.events[i + 1]->delta =
        ClampTicks(std::int64_t{track.events[i + 1]->delta} + track.events[i]->delta);
  }
  track.events.erase(track.events.begin() + index);
}

std::unique_ptr<MidiTrack> CopyTrack(const MidiTrack& source) {
  auto copy = std::make_unique<MidiTrack>(source.capacity);
  copy->form = FORM_NOTES;
  if (source.form != FORM_NOTES) {
    ReportTrackError(kTrackInternal);
    return copy;
  }
  copy->events.reserve(source.events.size());
  for (const auto& e : source.events) {
    if (!e) {
      ReportEventError(0);
      continue;
    }
    if (!AppendEvent(*copy, std::make_unique<MidiEvent>(*e))) {
      break;
    }
  }
  return copy;
}

void DestroyTrack(std::unique_ptr<MidiTrack>& track) {
  if (!track) {
    return;
  }
  for (const auto& e : track->events) {
    const bool modelTimbre = e->kind == EV_SYSEX && e->subtype == SYSEX_MODEL_TIMBRE;
    if (!modelTimbre && e->dataLength > 255) {
      ReportTrackError(kTrackAddFailed);
    }
  }
  track.reset();
}

}  // namespace kumoito::midi
