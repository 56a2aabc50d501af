#include "audio/transcribe/beat_grid.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kumoito::audio {
namespace {

// How alike the onsets are to a grid of step seconds through phase: each
// onset counts by a bell of its distance to the nearest line.
double GridFit(const std::vector<double>& onsets, double step, double phase, double sigma) {
  double sum = 0.0;
  for (double t : onsets) {
    const double offset = t - phase;
    const double d = offset - step * std::round(offset / step);
    sum += std::exp(-0.5 * (d / sigma) * (d / sigma));
  }
  return sum / static_cast<double>(onsets.size());
}

// The phase moved by the mean offset of the onsets that sit near a line.
double RefinePhase(const std::vector<double>& onsets, double step, double phase, double sigma) {
  double sum = 0.0;
  int count = 0;
  for (double t : onsets) {
    const double offset = t - phase;
    const double d = offset - step * std::round(offset / step);
    if (std::abs(d) < 2.0 * sigma) {
      sum += d;
      ++count;
    }
  }
  return count > 0 ? phase + sum / count : phase;
}

// Beats count 1, eighths 0.5, other sixteenths 0.25: how plainly the rhythm
// reads when the beat line is at origin; times the square root of the
// share of beats that have an onset, or twice the tempo (every note on a
// beat, half the beats empty) would always read plainer.
double Plainness(const std::vector<double>& onsets, double beat, double origin) {
  const double step = beat / 4.0;
  double sum = 0.0;
  std::vector<long long> beats;
  for (double t : onsets) {
    const long long sixteenth = std::llround((t - origin) / step);
    const long long inBeat = ((sixteenth % 4) + 4) % 4;
    sum += inBeat == 0 ? 1.0 : inBeat == 2 ? 0.5 : 0.25;
    beats.push_back((sixteenth - inBeat) / 4);
  }
  beats.erase(std::unique(beats.begin(), beats.end()), beats.end());
  const double span = static_cast<double>(beats.back() - beats.front() + 1);
  const double filled = static_cast<double>(beats.size()) / span;
  return sum / static_cast<double>(onsets.size()) * std::sqrt(filled);
}

// A mild preference for tempos near 100 bpm: 0.6 an octave away.
double TempoPrior(int bpm) {
  const double octaves = std::log2(bpm / 100.0);
  return std::exp(-0.5 * octaves * octaves);
}

struct Candidate {
  int bpm = 0;
  double phase = 0.0;
  double fit = 0.0;
};

Candidate BestPhase(const std::vector<double>& onsets, int bpm) {
  const double step = 60.0 / bpm / 4.0;
  const double sigma = std::min(0.012, step / 6.0);
  Candidate best{bpm, 0.0, -1.0};
  const std::size_t tries = std::min<std::size_t>(onsets.size(), 40);
  for (std::size_t i = 0; i < tries; ++i) {
    const double phase = std::fmod(onsets[i], step);
    const double fit = GridFit(onsets, step, phase, sigma);
    if (fit > best.fit) {
      best = {bpm, phase, fit};
    }
  }
  best.phase = RefinePhase(onsets, step, best.phase, sigma);
  best.fit = GridFit(onsets, step, best.phase, sigma);
  return best;
}

}  // namespace

BeatGrid EstimateBeatGrid(const std::vector<double>& onsets) {
  BeatGrid grid;
  if (onsets.size() < 2) {
    grid.origin = onsets.empty() ? 0.0 : onsets.front();
    grid.fit = onsets.empty() ? 0.0 : 1.0;
    return grid;
  }
  std::vector<Candidate> candidates;
  double bestFit = 0.0;
  for (int bpm = kMinGridBpm; bpm <= kMaxGridBpm; ++bpm) {
    candidates.push_back(BestPhase(onsets, bpm));
    bestFit = std::max(bestFit, candidates.back().fit);
  }
  double bestScore = -1.0;
  for (const Candidate& c : candidates) {
    if (c.fit < 0.92 * bestFit) {
      continue;
    }
    const double beat = 60.0 / c.bpm;
    for (int shift = 0; shift < 4; ++shift) {
      const double origin = c.phase + shift * beat / 4.0;
      const double score = c.fit * Plainness(onsets, beat, origin) * TempoPrior(c.bpm);
      if (score > bestScore) {
        bestScore = score;
        grid.bpm = c.bpm;
        grid.fit = c.fit;
        // The beat line at or before the first onset (a sixteenth's
        // tolerance: an onset heard early still starts its beat).
        const double tolerance = beat / 8.0;
        grid.origin = origin + beat * std::floor((onsets.front() + tolerance - origin) / beat);
      }
    }
  }
  return grid;
}

std::vector<std::int64_t> QuantiseOnsets(const std::vector<double>& onsets, const BeatGrid& grid) {
  const double beat = grid.BeatSeconds();
  std::vector<double> beats;
  for (double t : onsets) {
    beats.push_back((t - grid.origin) / beat);
  }
  std::vector<std::int64_t> steps(onsets.size());
  std::size_t i = 0;
  while (i < beats.size()) {
    // The onsets that round into the same beat, decided together.
    const auto whole = static_cast<std::int64_t>(std::floor(beats[i] + 1.0 / 8.0));
    std::size_t j = i;
    double sixteenthError = 0.0;
    double tripletError = 0.0;
    bool offSixteenths = false;
    while (j < beats.size() && std::floor(beats[j] + 1.0 / 8.0) == static_cast<double>(whole)) {
      const double inBeat = beats[j] - static_cast<double>(whole);
      sixteenthError += std::abs(inBeat * 4.0 - std::round(inBeat * 4.0)) / 4.0;
      const double third = std::round(inBeat * 3.0);
      tripletError += std::abs(inBeat * 3.0 - third) / 3.0;
      offSixteenths |= third == 1.0 || third == 2.0;
      ++j;
    }
    const bool triplets = offSixteenths && tripletError < 0.6 * sixteenthError;
    const int per = triplets ? 3 : 4;
    for (std::size_t k = i; k < j; ++k) {
      const double inBeat = beats[k] - static_cast<double>(whole);
      steps[k] = whole * kGridSteps + std::llround(inBeat * per) * (kGridSteps / per);
    }
    i = j;
  }
  for (std::size_t k = 1; k < steps.size(); ++k) {
    if (steps[k] <= steps[k - 1]) {
      // The next sixteenth, so the beat still divides into sixths or quarters.
      const std::int64_t sixteenth = kGridSteps / 4;
      steps[k] = (steps[k - 1] / sixteenth + 1) * sixteenth;
    }
  }
  return steps;
}

}  // namespace kumoito::audio
