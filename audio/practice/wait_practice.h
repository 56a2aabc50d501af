#pragma once
// Practice that waits: the notes of a song in the order they are played,
// the one waited for, and what the learner's playing did at each. A note
// is passed once its pitch has been heard, within the tolerance, for a
// short while without a break (one stray frame is not a note played); the
// octave may be required or left free. Each note keeps how long it was
// waited for and how many cents off the attempts at it were on average.
// Time comes from the caller, so a test drives it with a manual clock.
//
// Thread-safety: one thread (the window's); readings are queued to it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kumoito::audio {

struct WaitNote {
  std::int64_t slot = 0;  // where the note stands in the song (the cursor's slot)
  int pitch = 60;         // MIDI note number
};

struct WaitSettings {
  double toleranceCents = 30.0;
  bool anyOctave = true;      // an octave up or down counts as the note
  double holdSeconds = 0.04;  // how long the pitch must be heard
};

struct WaitResult {
  WaitNote note;
  double waitedSeconds = 0.0;  // from the note becoming current to its passing
  double meanCents = 0.0;      // signed mean of the attempts' distance; 0 without any
  int attempts = 0;            // readings near the note (within a semitone)
};

class WaitPractice {
 public:
  WaitPractice(std::vector<WaitNote> notes, const WaitSettings& settings, double now);

  // A pitch heard at now (seconds, rising); hz 0 for silence. struck: the
  // sound rose as a string does when plucked. True when it passed the note
  // waited for.
  bool Hear(double hz, bool struck, double now);

  bool Done() const { return m_current >= m_notes.size(); }
  // The note waited for; only when not Done.
  const WaitNote& Current() const { return m_notes[m_current]; }
  std::size_t CurrentIndex() const { return m_current; }
  std::size_t NoteCount() const { return m_notes.size(); }

  // Every passed note, in playing order.
  const std::vector<WaitResult>& Results() const { return m_results; }
  // The count longest waited for, longest first.
  std::vector<WaitResult> Slowest(std::size_t count) const;

  // Cents from the note to hz, its octave folded when the settings allow.
  double CentsFrom(const WaitNote& note, double hz) const;

 private:
  void Pass(double now);

  std::vector<WaitNote> m_notes;
  WaitSettings m_settings;
  std::size_t m_current = 0;
  double m_since = 0.0;        // when the current note became current
  double m_rightSince = -1.0;  // when the right pitch began to sound; < 0: it does not
  double m_centsSum = 0.0;
  int m_attempts = 0;
  // The note waited for has the pitch of the one just passed, which still
  // rings: only a new pluck (or silence first) may pass it.
  bool m_needStrike = false;
  std::vector<WaitResult> m_results;
};

}  // namespace kumoito::audio
