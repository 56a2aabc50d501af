#pragma once
// Sounds for the listening tests: tones made here, with the knobs that
// trouble a detector (harmonics, decay, buzz, noise), and recordings made
// by sox, a program we did not write, when it is installed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kumoito::audio::test {

struct ToneShape {
  std::vector<double> harmonics = {1.0};  // amplitude of each partial from the fundamental
  double decaySeconds = 0.0;              // 0: steady
  double buzz = 0.0;                      // share of a clipped, rattling copy (the sawari)
  double noise = 0.0;                     // RMS of white noise added
  double amplitude = 0.5;
};

std::vector<float> MakeTone(double hz, double seconds, double sampleRate, const ToneShape& shape,
                            std::uint32_t seed = 1);

// Runs sox with arguments (after "sox"), writing a WAV file at path.
// False when sox is missing or fails.
bool RunSox(const std::string& arguments);
bool HaveSox();

// A folder of the test's own under the system's temporary folder.
std::string TempPath(const std::string& name);

// The bytes of a file; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

}  // namespace kumoito::audio::test

namespace kumoito::audio::test {

struct SoxNote {
  const char* name;  // sox's note name, "C3"; nullptr for a rest
  int sixteenths;    // length
};

// The notes as sox plucks, one after another at bpm, with white noise of
// the given amplitude mixed in (0: none), written to path as 44.1 kHz WAV.
// Returns the onsets in seconds; empty when sox failed.
std::vector<double> MakeSoxSequence(const std::string& path, const std::vector<SoxNote>& notes,
                                    double bpm, double noise);

}  // namespace kumoito::audio::test
