#pragma once
// A monophonic pitch detector for plucked strings. Each frame is compared
// with itself shifted by every lag in the range through the normalised
// squared difference (2 r / (energy of both parts)), which, unlike a plain
// difference, barely moves when the note decays across the lag. The first
// peak that comes close to the frame's highest is the period, so a strong
// second harmonic or the buzz of the sawari does not pull the answer an
// octave up, and the later peaks at whole periods never pull it down.
//
// Thread-safety: one detector per thread (it keeps its scratch buffers).

#include <complex>
#include <cstddef>
#include <vector>

#include "audio/pitch/fft.h"

namespace kumoito::audio {

struct PitchSettings {
  double sampleRate = 44100.0;
  double minHz = 50.0;    // lowest fundamental that can be found
  double maxHz = 2000.0;  // highest
  // Samples compared at each lag; 0: one period of minHz.
  std::size_t window = 0;
  // A peak counts when it reaches this share of the highest one.
  double peakShare = 0.9;
  // Below these the frame is taken for silence or noise.
  double minClarity = 0.7;
  double minLevel = 1e-3;  // RMS, full scale 1
};

struct PitchEstimate {
  double hz = 0.0;       // 0 when no period was found
  double clarity = 0.0;  // 0..1: how alike the frame is one period later
  double level = 0.0;    // RMS of the frame
  bool voiced = false;   // hz is a pitch to believe
};

class PitchDetector {
 public:
  explicit PitchDetector(const PitchSettings& settings);

  // How many samples Detect reads from a frame.
  std::size_t FrameLength() const { return m_window + m_maxLag; }
  const PitchSettings& Settings() const { return m_settings; }

  // frame: FrameLength() samples, mono, full scale 1.
  PitchEstimate Detect(const float* frame);

 private:
  void Correlate(const float* frame, double mean);
  double PeakLag(double& clarity) const;

  PitchSettings m_settings;
  std::size_t m_window;
  std::size_t m_minLag;
  std::size_t m_maxLag;
  Fft m_fft;
  std::vector<std::complex<double>> m_spectrum;
  std::vector<double> m_nsdf;  // by lag, 0..m_maxLag
};

// MIDI note number (fractional) of a frequency, and back.
double HzToNote(double hz);
double NoteToHz(double note);
// Cents from reference to hz.
double CentsBetween(double hz, double reference);

}  // namespace kumoito::audio
