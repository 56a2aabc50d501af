#include "audio/transcribe/note_finder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "audio/pitch/pitch_detector.h"

namespace kumoito::audio {
namespace {

constexpr double kHopSeconds = 0.005;

struct Envelope {
  double hop = 0.0;           // seconds per frame
  std::vector<double> level;  // log energy of the high-passed signal, per hop
  double floor = 0.0;         // log energy below which nothing sounds
};

// Energy of the first difference over two hops: a pluck's attack is mostly
// high partials, so it stands out above a ringing note better than the
// plain energy does.
Envelope HighPassedEnvelope(const SoundClip& clip) {
  Envelope envelope;
  const auto hop =
      std::max<std::size_t>(1, static_cast<std::size_t>(clip.sampleRate * kHopSeconds));
  envelope.hop = static_cast<double>(hop) / clip.sampleRate;
  const std::vector<float>& x = clip.samples;
  for (std::size_t start = 0; start + 2 * hop <= x.size(); start += hop) {
    double energy = 0.0;
    for (std::size_t i = std::max<std::size_t>(start, 1); i < start + 2 * hop; ++i) {
      const double d = static_cast<double>(x[i]) - x[i - 1];
      energy += d * d;
    }
    envelope.level.push_back(std::log(energy / static_cast<double>(2 * hop) + 1e-12));
  }
  if (envelope.level.empty()) {
    return envelope;
  }
  std::vector<double> sorted = envelope.level;
  std::sort(sorted.begin(), sorted.end());
  const double quiet = sorted[sorted.size() / 10];
  const double loud = sorted.back();
  // Above the recording's quiet tenth by 12 dB, and from 20 to 45 dB under
  // its loudest moment (a recording may have no silence to measure).
  envelope.floor =
      std::max(std::min(quiet + std::log(16.0), loud - std::log(100.0)), loud - std::log(31623.0));
  return envelope;
}

// Frames where the energy rose by more than 6 dB over 15 ms to above the
// floor, each the steepest of its neighbourhood.
std::vector<std::size_t> EnergyOnsets(const Envelope& env, double minGapSeconds) {
  const std::vector<double>& e = env.level;
  const std::size_t lookBack = 3;
  std::vector<double> rise(e.size(), 0.0);
  const double silence = env.floor - std::log(10.0);
  for (std::size_t k = 0; k < e.size(); ++k) {
    // Before the recording's first sample there was silence: a note struck
    // at once still rises.
    const double before =
        k == 0 ? silence
               : *std::min_element(e.begin() + static_cast<long>(k > lookBack ? k - lookBack : 0),
                                   e.begin() + static_cast<long>(k));
    rise[k] = e[k] > env.floor ? e[k] - std::max(before, silence) : 0.0;
  }
  const double threshold = std::log(4.0);
  const auto gap = static_cast<std::size_t>(std::ceil(minGapSeconds / env.hop));
  std::vector<std::size_t> onsets;
  for (std::size_t k = 0; k < e.size(); ++k) {
    if (rise[k] < threshold) {
      continue;
    }
    const std::size_t from = k >= 3 ? k - 3 : 0;
    const std::size_t to = std::min(e.size(), k + 4);
    if (*std::max_element(rise.begin() + static_cast<long>(from),
                          rise.begin() + static_cast<long>(to)) > rise[k]) {
      continue;
    }
    if (!onsets.empty() && k - onsets.back() < gap) {
      continue;
    }
    onsets.push_back(k);
  }
  return onsets;
}

struct PitchFrame {
  double time = 0.0;  // centre of the frame, seconds
  double note = 0.0;  // 0: unvoiced
};

std::vector<PitchFrame> PitchTrack(const SoundClip& clip, const NoteFinderSettings& settings) {
  // A note needs only its semitone here, which half of CD rate gives as
  // surely, at half the work: pairs are averaged (a gentle low-pass; the
  // partials it lets fold down are far weaker than the fundamental's).
  const bool halve = clip.sampleRate >= 32000.0;
  std::vector<float> halved;
  if (halve) {
    halved.resize(clip.samples.size() / 2);
    for (std::size_t i = 0; i < halved.size(); ++i) {
      halved[i] = 0.5f * (clip.samples[2 * i] + clip.samples[2 * i + 1]);
    }
  }
  const std::vector<float>& x = halve ? halved : clip.samples;
  const double rate = halve ? clip.sampleRate / 2.0 : clip.sampleRate;
  PitchSettings pitch;
  pitch.sampleRate = rate;
  pitch.minHz = settings.minHz;
  pitch.maxHz = settings.maxHz;
  PitchDetector detector(pitch);
  const std::size_t length = detector.FrameLength();
  const auto hop = std::max<std::size_t>(1, static_cast<std::size_t>(rate * 0.01));
  std::vector<PitchFrame> track;
  for (std::size_t start = 0; start + length <= x.size(); start += hop) {
    const PitchEstimate e = detector.Detect(x.data() + start);
    track.push_back({(static_cast<double>(start) + 0.5 * static_cast<double>(length)) / rate,
                     e.voiced ? HzToNote(e.hz) : 0.0});
  }
  return track;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median voiced pitch of the frames centred within [from, to), or 0.
double PitchBetween(const std::vector<PitchFrame>& track, double from, double to) {
  std::vector<double> notes;
  for (const PitchFrame& f : track) {
    if (f.time >= from && f.time < to && f.note > 0.0) {
      notes.push_back(f.note);
    }
  }
  return notes.empty() ? 0.0 : Median(notes);
}

// Splits a note where its pitch moves to another semitone and stays there
// for 50 ms: a slide or a hammered note the energy did not show.
void SplitAtPitchChanges(std::vector<HeardNote>& notes, const std::vector<PitchFrame>& track) {
  std::vector<HeardNote> split;
  for (const HeardNote& n : notes) {
    HeardNote current = n;
    int runPitch = 0;
    double runStart = 0.0;
    int runLength = 0;
    for (const PitchFrame& f : track) {
      if (f.time < current.onset + 0.06 || f.time >= n.end) {
        continue;
      }
      const int p = f.note > 0.0 ? static_cast<int>(std::lround(f.note)) : 0;
      if (p == 0 || p == current.pitch || std::abs(f.note - current.note) < 0.7) {
        runLength = 0;
        continue;
      }
      if (p != runPitch || runLength == 0) {
        runPitch = p;
        runStart = f.time;
        runLength = 0;
      }
      if (++runLength >= 5) {
        HeardNote next;
        next.onset = runStart - 0.02;
        next.end = n.end;
        next.note = PitchBetween(track, runStart, runStart + 0.15);
        next.pitch = static_cast<int>(std::lround(next.note));
        current.end = next.onset;
        split.push_back(current);
        current = next;
        runLength = 0;
      }
    }
    split.push_back(current);
  }
  notes = std::move(split);
}

}  // namespace

std::vector<HeardNote> FindNotes(const SoundClip& clip, const NoteFinderSettings& settings) {
  const Envelope env = HighPassedEnvelope(clip);
  const std::vector<std::size_t> onsets = EnergyOnsets(env, settings.minGapSeconds);
  const std::vector<PitchFrame> track = PitchTrack(clip, settings);
  std::vector<HeardNote> notes;
  for (std::size_t i = 0; i < onsets.size(); ++i) {
    const std::size_t k = onsets[i];
    const std::size_t next = i + 1 < onsets.size() ? onsets[i + 1] : env.level.size();
    // The note sounds until the next one or until it sinks under the floor.
    std::size_t last = k;
    while (last + 1 < next && env.level[last + 1] > env.floor) {
      ++last;
    }
    HeardNote note;
    note.onset = static_cast<double>(k) * env.hop;
    note.end = static_cast<double>(last + 2) * env.hop;
    const double nextOnset = static_cast<double>(next) * env.hop;
    // The attack's own frames are noisy; the pitch is taken from the next
    // quarter second of the note.
    note.note = PitchBetween(track, note.onset + 0.03, std::min(note.onset + 0.25, nextOnset));
    if (note.note == 0.0) {
      note.note = PitchBetween(track, note.onset, std::min(note.end, nextOnset + 0.02));
    }
    if (note.note == 0.0) {
      continue;  // a knock or a breath, not a note
    }
    note.pitch = static_cast<int>(std::lround(note.note));
    notes.push_back(note);
  }
  SplitAtPitchChanges(notes, track);
  return notes;
}

}  // namespace kumoito::audio
