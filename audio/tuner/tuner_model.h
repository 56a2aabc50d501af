#pragma once
// The tuner's logic, free of any window: samples from the audio input go
// through the pitch detector a hop at a time, and each pitch heard is named
// against the three open strings of the tuning: which string it is closest
// to, how many octaves away, and how many cents sharp or flat.
//
// Thread-safety: Feed runs on the audio input's thread, Latest and
// SetStrings on any other (the window's); a mutex keeps them apart.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/pitch/pitch_detector.h"

namespace kumoito::audio {

struct TunerReading {
  bool heard = false;  // a pitch was heard lately
  double hz = 0.0;
  double cents = 0.0;  // from the string's pitch in the octave heard, -50..50
  int string = 0;      // 0..2: the open string nearest the pitch
  int octave = 0;      // octaves above (+) or below (-) that string
  double clarity = 0.0;
  // The sound rose by more than 6 dB within 20 ms since the reading before:
  // a pluck.
  bool struck = false;
  // Stream time, seconds from the first sample fed, of the frame's end.
  double at = 0.0;
};

class TunerModel {
 public:
  // openNotes: MIDI notes of strings 1..3 (song/tuning.h OpenStringPitches).
  TunerModel(double sampleRate, const std::array<int, 3>& openNotes);

  void SetStrings(const std::array<int, 3>& openNotes);
  std::array<int, 3> Strings() const;

  void Feed(const float* samples, std::size_t count);
  TunerReading Latest() const;
  // Latest, and the pluck it reports is told only once (practice).
  TunerReading TakeLatest();

  // Samples between two looks at the sound.
  std::size_t Hop() const { return m_hop; }
  std::size_t FrameLength() const { return m_detector.FrameLength(); }
  // A reading is kept this long after the sound stops, so the needle does
  // not drop between plucks.
  static constexpr double kHoldSeconds = 0.6;

 private:
  TunerReading Name(const PitchEstimate& estimate, double at) const;
  double NewestLevel() const;

  mutable std::mutex m_mutex;
  double m_sampleRate;
  std::array<int, 3> m_open;
  PitchDetector m_detector;
  std::size_t m_hop;
  std::vector<float> m_ring;  // the last FrameLength samples, oldest first
  std::vector<float> m_reversed;
  std::size_t m_pending = 0;  // samples since the last look
  std::int64_t m_fed = 0;
  std::vector<double> m_recent;  // the last few notes heard, for a steadier needle
  std::vector<double> m_levels;  // RMS of the last few looks, for the plucks
  bool m_struck = false;
  TunerReading m_latest;
};

// The same naming, for one frequency (the window's reference tones, tests).
TunerReading NamePitch(double hz, const std::array<int, 3>& openNotes);

}  // namespace kumoito::audio
