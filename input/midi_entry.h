#pragma once
// From a MIDI keyboard's events to entered notes. Notes whose keys go down
// within a short window of each other (by the events' own times) are one
// chord and are entered together as a two-string note; a note released
// before the next one goes down was played before it, however quick. Notes
// are entered when they start, so the sustain pedal and the releases decide
// nothing else.
//
// Thread-safety: GUI thread only, like the song the entries go to.

#include <optional>
#include <vector>

#include "midi/midi_in.h"

namespace kumoito {

// Where entered notes go: the score's cursor, or the note input tool's slot.
class NoteEntrySink {
 public:
  virtual ~NoteEntrySink() = default;
  virtual void EnterNote(int pitch) = 0;
  // Two keys struck together; low < high. The sink enters a two-string note
  // or, when no two strings can play them, the high one: the melody.
  virtual void EnterTogether(int low, int high) = 0;
};

inline constexpr midi::MidiInTime kChordWindow = 30'000;  // microseconds

class MidiChordGatherer {
 public:
  // A sink must outlive its use here; without one nothing is entered.
  explicit MidiChordGatherer(NoteEntrySink* sink = nullptr, midi::MidiInTime window = kChordWindow);
  void SetSink(NoteEntrySink* sink) { m_sink = sink; }

  void OnEvent(const midi::MidiInEvent& event);
  // Enters the chord being gathered when its window has closed by `now`.
  void Flush(midi::MidiInTime now);
  // When the chord being gathered closes; none while nothing is gathered.
  std::optional<midi::MidiInTime> Deadline() const;
  // Forgets what is gathered and which keys are down (another song, the
  // input turned off).
  void Reset();

 private:
  struct Pending {
    int note;
    bool released;
  };
  void NoteOn(int note, midi::MidiInTime time);
  void NoteOff(int note);
  void Enter();

  NoteEntrySink* m_sink;
  midi::MidiInTime m_window;
  std::vector<Pending> m_pending;
  midi::MidiInTime m_start = 0;
};

}  // namespace kumoito
