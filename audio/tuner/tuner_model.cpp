#include "audio/tuner/tuner_model.h"

#include <algorithm>
#include <cmath>

namespace kumoito::audio {
namespace {

PitchSettings TunerPitchSettings(double sampleRate) {
  PitchSettings settings;
  settings.sampleRate = sampleRate;
  // Down to about A1 (a string an octave below a low 一の糸) and up to the
  // third string's octave harmonics; a lower floor would lengthen the frame
  // and so the wait before the needle moves.
  settings.minHz = 52.0;
  settings.maxHz = 2100.0;
  return settings;
}

}  // namespace

TunerReading NamePitch(double hz, const std::array<int, 3>& openNotes) {
  TunerReading reading;
  reading.heard = true;
  reading.hz = hz;
  const double note = HzToNote(hz);
  double best = 1e9;
  for (int s = 0; s < 3; ++s) {
    const int octave = static_cast<int>(std::lround((note - openNotes[s]) / 12.0));
    const double cents = (note - openNotes[s] - 12.0 * octave) * 100.0;
    // Nearest in pitch class first, then the string itself before its octaves.
    const double distance = std::abs(cents) + 1200.0 * std::abs(octave) * 0.01;
    if (distance < best) {
      best = distance;
      reading.string = s;
      reading.octave = octave;
      reading.cents = cents;
    }
  }
  return reading;
}

TunerModel::TunerModel(double sampleRate, const std::array<int, 3>& openNotes)
    : m_sampleRate(sampleRate),
      m_open(openNotes),
      m_detector(TunerPitchSettings(sampleRate)),
      m_hop(std::max<std::size_t>(1, static_cast<std::size_t>(sampleRate / 200.0))),
      m_ring(m_detector.FrameLength(), 0.0f),
      m_reversed(m_ring.size()) {}

void TunerModel::SetStrings(const std::array<int, 3>& openNotes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_open = openNotes;
  m_recent.clear();
  m_latest = TunerReading{};
}

std::array<int, 3> TunerModel::Strings() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

TunerReading TunerModel::Name(const PitchEstimate& estimate, double at) const {
  TunerReading reading = NamePitch(estimate.hz, m_open);
  reading.clarity = estimate.clarity;
  reading.at = at;
  return reading;
}

void TunerModel::Feed(const float* samples, std::size_t count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const std::size_t length = m_ring.size();
  while (count > 0) {
    const std::size_t take = std::min(count, m_hop - m_pending);
    if (take >= length) {
      std::copy(samples + take - length, samples + take, m_ring.begin());
    } else {
      std::move(m_ring.begin() + static_cast<long>(take), m_ring.end(), m_ring.begin());
      std::copy(samples, samples + take, m_ring.end() - static_cast<long>(take));
    }
    samples += take;
    count -= take;
    m_pending += take;
    m_fed += static_cast<std::int64_t>(take);
    if (m_pending < m_hop) {
      break;
    }
    m_pending = 0;
    const double at = static_cast<double>(m_fed) / m_sampleRate;
    // The frame newest first: the detector compares its first samples with
    // later ones, so reversed it looks at the newest sound and a new note
    // is named as soon as a window and one period of it have arrived,
    // rather than once it fills the whole frame.
    std::reverse_copy(m_ring.begin(), m_ring.end(), m_reversed.begin());
    const PitchEstimate estimate = m_detector.Detect(m_reversed.data());
    m_levels.push_back(NewestLevel());
    if (m_levels.size() > 5) {
      m_levels.erase(m_levels.begin());
    }
    // Latched until a voiced reading carries it: the pitch of a pluck is
    // named a few looks after its rise.
    m_struck |= m_levels.back() > 2.0 * m_levels.front() && m_levels.back() > 1e-3;
    if (estimate.voiced) {
      // The median of the last three notes: one stray frame (the attack,
      // a buzz) does not throw the needle.
      m_recent.push_back(HzToNote(estimate.hz));
      if (m_recent.size() > 3) {
        m_recent.erase(m_recent.begin());
      }
      std::vector<double> sorted = m_recent;
      std::sort(sorted.begin(), sorted.end());
      PitchEstimate steady = estimate;
      steady.hz = NoteToHz(sorted[sorted.size() / 2]);
      m_latest = Name(steady, at);
      m_latest.struck = m_latest.struck || m_struck;
      m_struck = false;
    } else {
      m_recent.clear();
      if (m_latest.heard && at - m_latest.at > kHoldSeconds) {
        m_latest.heard = false;
      }
    }
  }
}

// RMS of the newest hop: short enough to see a pluck's rise at once.
double TunerModel::NewestLevel() const {
  double sum = 0.0;
  for (std::size_t i = m_ring.size() - m_hop; i < m_ring.size(); ++i) {
    sum += static_cast<double>(m_ring[i]) * m_ring[i];
  }
  return std::sqrt(sum / static_cast<double>(m_hop));
}

TunerReading TunerModel::Latest() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_latest;
}

TunerReading TunerModel::TakeLatest() {
  std::lock_guard<std::mutex> lock(m_mutex);
  TunerReading reading = m_latest;
  m_latest.struck = false;
  return reading;
}

}  // namespace kumoito::audio
