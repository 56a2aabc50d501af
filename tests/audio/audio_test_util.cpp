#include "tests/audio/audio_test_util.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>

namespace kumoito::audio::test {

std::vector<float> MakeTone(double hz, double seconds, double sampleRate, const ToneShape& shape,
                            std::uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  const auto count = static_cast<std::size_t>(seconds * sampleRate);
  std::vector<float> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    double value = 0.0;
    for (std::size_t h = 0; h < shape.harmonics.size(); ++h) {
      const double partial = hz * static_cast<double>(h + 1);
      if (partial < sampleRate / 2) {
        value += shape.harmonics[h] * std::sin(2.0 * std::numbers::pi * partial * t);
      }
    }
    if (shape.buzz > 0.0) {
      // The string touching the sawari: a clipped copy that rattles at a
      // high partial once a period, plus breath-like noise in time with it.
      const double clipped = std::clamp(value * 3.0, -0.6, 0.6);
      const double phase = std::fmod(t * hz, 1.0);
      const double rattle = phase < 0.15 ? std::sin(2.0 * std::numbers::pi * 11.0 * hz * t) : 0.0;
      value += shape.buzz * (clipped + 0.5 * rattle + 0.2 * gauss(random));
    }
    if (shape.decaySeconds > 0.0) {
      value *= std::exp(-t / shape.decaySeconds);
    }
    value *= shape.amplitude;
    value += shape.noise * gauss(random);
    samples[i] = static_cast<float>(value);
  }
  return samples;
}

bool HaveSox() {
  return std::system("sox --version >/dev/null 2>&1") == 0;
}

bool RunSox(const std::string& arguments) {
  return std::system(("sox " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

namespace {

// The test's folder, removed when the test program ends.
struct TempFolder {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kumoito-audio-test-" + std::to_string(getpid()));
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

std::string TempPath(const std::string& name) {
  static TempFolder folder;
  std::filesystem::create_directories(folder.path);
  return (folder.path / name).string();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace kumoito::audio::test

namespace kumoito::audio::test {

std::vector<double> MakeSoxSequence(const std::string& path, const std::vector<SoxNote>& notes,
                                    double bpm, double noise) {
  const double sixteenth = 60.0 / bpm / 4.0;
  std::string parts;
  std::vector<double> onsets;
  double at = 0.25;  // a little silence first, as a recording has
  const std::string lead = path + ".lead.wav";
  if (!RunSox("-n -r 44100 -b 16 -c 1 " + lead + " trim 0 0.25")) {
    return {};
  }
  parts += lead;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const double length = notes[i].sixteenths * sixteenth;
    const std::string part = path + "." + std::to_string(i) + ".wav";
    const std::string synth = notes[i].name != nullptr
                                  ? "synth " + std::to_string(length) + " pluck " + notes[i].name
                                  : "trim 0 " + std::to_string(length);
    if (!RunSox("-n -r 44100 -b 16 -c 1 " + part + " " + synth)) {
      return {};
    }
    if (notes[i].name != nullptr) {
      onsets.push_back(at);
    }
    at += length;
    parts += " " + part;
  }
  const std::string joined = noise > 0.0 ? path + ".joined.wav" : path;
  if (!RunSox(parts + " " + joined)) {
    return {};
  }
  if (noise > 0.0) {
    const std::string hiss = path + ".noise.wav";
    if (!RunSox("-n -r 44100 -b 16 -c 1 " + hiss + " synth " + std::to_string(at + 0.5) +
                " whitenoise vol " + std::to_string(noise)) ||
        !RunSox("-m " + joined + " " + hiss + " " + path)) {
      return {};
    }
  }
  return onsets;
}

}  // namespace kumoito::audio::test
