#pragma once
// Small builders for MIDI engine tests: events and tracks in a line each.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "midi/midi_event.h"
#include "midi/track_ops.h"

namespace kumoito::midi::testing {

inline std::unique_ptr<MidiEvent> Ev(std::int32_t kind, std::int32_t delta, std::int32_t note = 0,
                                     std::int32_t velocity = 0, std::int32_t duration = 0,
                                     std::int32_t channel = 0) {
  auto e = std::make_unique<MidiEvent>();
  e->kind = kind;
  e->delta = delta;
  e->note = note;
  e->velocity = velocity;
  e->duration = duration;
  e->channel = channel;
  return e;
}

inline std::unique_ptr<MidiEvent> Note(std::int32_t delta, std::int32_t note, std::int32_t duration,
                                       std::int32_t velocity = 64) {
  return Ev(EV_NOTE, delta, note, velocity, duration);
}

inline std::unique_ptr<MidiEvent> Control(std::int32_t delta, std::uint32_t controller,
                                          std::int32_t value) {
  auto e = Ev(EV_CONTROL, delta);
  e->subtype = controller;
  e->value = value;
  return e;
}

inline std::unique_ptr<MidiEvent> EndOfTrack(std::int32_t delta) {
  auto e = Ev(EV_META, delta);
  e->subtype = META_END_OF_TRACK;
  e->channel = kNoChannel;
  const unsigned char bytes[] = {0xFF, 0x2F, 0x00};
  SetEventData(*e, bytes, 3);
  return e;
}

inline MidiTrack MakeTrack(std::int32_t form, std::vector<std::unique_ptr<MidiEvent>> events) {
  MidiTrack track;
  track.form = form;
  track.events = std::move(events);
  return track;
}

template <typename... E>
std::vector<std::unique_ptr<MidiEvent>> Events(E... e) {
  std::vector<std::unique_ptr<MidiEvent>> v;
  (v.push_back(std::move(e)), ...);
  return v;
}

inline std::vector<std::int32_t> Kinds(const MidiTrack& t) {
  std::vector<std::int32_t> v;
  for (const auto& e : t.events)
    v.push_back(e->kind);
  return v;
}
inline std::vector<std::int32_t> Deltas(const MidiTrack& t) {
  std::vector<std::int32_t> v;
  for (const auto& e : t.events)
    v.push_back(e->delta);
  return v;
}
inline std::vector<std::int64_t> AbsoluteTimes(const MidiTrack& t) {
  std::vector<std::int64_t> v;
  std::int64_t sum = 0;
  for (const auto& e : t.events)
    v.push_back(sum += e->delta);
  return v;
}

}  // namespace kumoito::midi::testing
