#include "audio/practice/wait_practice.h"

#include <algorithm>
#include <cmath>

#include "audio/pitch/pitch_detector.h"

namespace kumoito::audio {

WaitPractice::WaitPractice(std::vector<WaitNote> notes, const WaitSettings& settings, double now)
    : m_notes(std::move(notes)), m_settings(settings), m_since(now) {}

double WaitPractice::CentsFrom(const WaitNote& note, double hz) const {
  double cents = (HzToNote(hz) - note.pitch) * 100.0;
  if (m_settings.anyOctave) {
    cents -= 1200.0 * std::round(cents / 1200.0);
  }
  return cents;
}

bool WaitPractice::Hear(double hz, bool struck, double now) {
  if (Done()) {
    return false;
  }
  if (hz <= 0.0 || struck) {
    m_needStrike = false;
  }
  if (hz <= 0.0) {
    m_rightSince = -1.0;
    return false;
  }
  const double cents = CentsFrom(Current(), hz);
  if (std::abs(cents) < 100.0) {
    m_centsSum += cents;
    ++m_attempts;
  }
  if (std::abs(cents) > m_settings.toleranceCents || m_needStrike) {
    m_rightSince = -1.0;
    return false;
  }
  if (m_rightSince < 0.0) {
    m_rightSince = now;
  }
  if (now - m_rightSince + 1e-9 < m_settings.holdSeconds) {
    return false;
  }
  Pass(now);
  return true;
}

void WaitPractice::Pass(double now) {
  WaitResult result;
  result.note = Current();
  result.waitedSeconds = now - m_since;
  result.attempts = m_attempts;
  result.meanCents = m_attempts > 0 ? m_centsSum / m_attempts : 0.0;
  m_results.push_back(result);
  ++m_current;
  m_since = now;
  // The same pitch again must be struck again: the ringing of this one
  // does not pass the next.
  m_rightSince = -1.0;
  m_centsSum = 0.0;
  m_attempts = 0;
  m_needStrike = !Done() && std::abs(CentsFrom(Current(), NoteToHz(result.note.pitch))) < 1.0;
}

std::vector<WaitResult> WaitPractice::Slowest(std::size_t count) const {
  std::vector<WaitResult> sorted = m_results;
  std::stable_sort(sorted.begin(), sorted.end(), [](const WaitResult& a, const WaitResult& b) {
    return a.waitedSeconds > b.waitedSeconds;
  });
  sorted.resize(std::min(count, sorted.size()));
  return sorted;
}

}  // namespace kumoito::audio
