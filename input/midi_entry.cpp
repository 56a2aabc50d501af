#include "input/midi_entry.h"

#include <algorithm>

namespace kumoito {

MidiChordGatherer::MidiChordGatherer(NoteEntrySink* sink, midi::MidiInTime window)
    : m_sink(sink), m_window(window) {}

void MidiChordGatherer::OnEvent(const midi::MidiInEvent& event) {
  if (event.number > 127) {
    return;
  }
  switch (event.kind) {
    case midi::MidiInEvent::Kind::kNoteOn:
      if (event.value == 0) {
        NoteOff(event.number);
      } else {
        NoteOn(event.number, event.time);
      }
      break;
    case midi::MidiInEvent::Kind::kNoteOff:
      NoteOff(event.number);
      break;
    case midi::MidiInEvent::Kind::kController:
      break;
  }
}

void MidiChordGatherer::NoteOn(int note, midi::MidiInTime time) {
  if (!m_pending.empty()) {
    const bool late = time - m_start >= m_window;
    const bool after = std::any_of(m_pending.begin(), m_pending.end(),
                                   [](const Pending& p) { return p.released; });
    if (late || after) {
      Enter();
    }
  }
  if (m_pending.empty()) {
    m_start = time;
  }
  // A key struck twice inside the window (a bounce) is one note.
  if (std::none_of(m_pending.begin(), m_pending.end(),
                   [note](const Pending& p) { return p.note == note; })) {
    m_pending.push_back({note, false});
  }
}

void MidiChordGatherer::NoteOff(int note) {
  for (Pending& p : m_pending) {
    if (p.note == note) {
      p.released = true;
    }
  }
}

void MidiChordGatherer::Flush(midi::MidiInTime now) {
  if (!m_pending.empty() && now - m_start >= m_window) {
    Enter();
  }
}

std::optional<midi::MidiInTime> MidiChordGatherer::Deadline() const {
  if (m_pending.empty()) {
    return std::nullopt;
  }
  return m_start + m_window;
}

void MidiChordGatherer::Reset() {
  m_pending.clear();
}

void MidiChordGatherer::Enter() {
  // Cleared first: the sink may move on and call back into the window.
  std::vector<Pending> chord;
  chord.swap(m_pending);
  if (m_sink == nullptr) {
    return;
  }
  const auto [low, high] =
      std::minmax_element(chord.begin(), chord.end(),
                          [](const Pending& a, const Pending& b) { return a.note < b.note; });
  // An entry takes two notes: of a wider chord the outer ones, the melody
  // on top.
  if (chord.size() == 1) {
    m_sink->EnterNote(low->note);
  } else {
    m_sink->EnterTogether(low->note, high->note);
  }
}

}  // namespace kumoito
