#include "audio/pitch/pitch_detector.h"

#include <algorithm>
#include <cmath>

namespace kumoito::audio {

double HzToNote(double hz) {
  return 69.0 + 12.0 * std::log2(hz / 440.0);
}
double NoteToHz(double note) {
  return 440.0 * std::exp2((note - 69.0) / 12.0);
}
double CentsBetween(double hz, double reference) {
  return 1200.0 * std::log2(hz / reference);
}

PitchDetector::PitchDetector(const PitchSettings& settings)
    : m_settings(settings),
      m_window(settings.window != 0
                   ? settings.window
                   : static_cast<std::size_t>(std::ceil(settings.sampleRate / settings.minHz))),
      m_minLag(std::max<std::size_t>(
          2, static_cast<std::size_t>(std::floor(settings.sampleRate / settings.maxHz)))),
      // One lag past the longest period, for the peak's right neighbour.
      m_maxLag(static_cast<std::size_t>(std::ceil(settings.sampleRate / settings.minHz)) + 2),
      m_fft(NextPowerOfTwo(m_window + m_maxLag)),
      m_spectrum(m_fft.Size()),
      m_nsdf(m_maxLag + 1) {}

// Cross-correlates the window (the frame's first m_window samples) with the
// whole frame by one transform of both packed as real and imaginary parts,
// then normalises each lag by the energy of the two parts it compares.
void PitchDetector::Correlate(const float* frame, double mean) {
  const std::size_t n = m_fft.Size();
  const std::size_t length = FrameLength();
  for (std::size_t i = 0; i < n; ++i) {
    const double b = i < length ? frame[i] - mean : 0.0;
    const double a = i < m_window ? b : 0.0;
    m_spectrum[i] = {a, b};
  }
  m_fft.Transform(m_spectrum.data(), false);
  // Z = A + iB; A_k = (Z_k + conj Z_-k) / 2, B_k = (Z_k - conj Z_-k) / 2i.
  // The correlation's spectrum conj(A) B is Hermitian, so the inverse is real.
  std::vector<std::complex<double>>& z = m_spectrum;
  const std::complex<double> z0 = z[0];
  std::complex<double> half = {0.0, 0.0};
  for (std::size_t k = 0; k <= n / 2; ++k) {
    const std::size_t m = (n - k) % n;
    const std::complex<double> zk = z[k];
    const std::complex<double> zm = k == 0 ? z0 : z[m];
    const std::complex<double> a = (zk + std::conj(zm)) * 0.5;
    const std::complex<double> b = (zk - std::conj(zm)) * std::complex<double>(0.0, -0.5);
    const std::complex<double> c = std::conj(a) * b;
    if (k == n / 2) {
      half = c;
    }
    z[k] = c;
    if (m != k) {
      z[m] = std::conj(c);
    }
  }
  z[n / 2] = half;
  m_fft.Transform(z.data(), true);

  auto sample = [&](std::size_t i) { return static_cast<double>(frame[i]) - mean; };
  double windowEnergy = 0.0;
  for (std::size_t i = 0; i < m_window; ++i) {
    windowEnergy += sample(i) * sample(i);
  }
  double shiftedEnergy = windowEnergy;
  const double scale = 1.0 / static_cast<double>(n);
  for (std::size_t lag = 0; lag <= m_maxLag; ++lag) {
    if (lag > 0) {
      const double out = sample(lag - 1);
      const double in = lag + m_window - 1 < length ? sample(lag + m_window - 1) : 0.0;
      shiftedEnergy = std::max(0.0, shiftedEnergy - out * out + in * in);
    }
    const double energy = windowEnergy + shiftedEnergy;
    m_nsdf[lag] = energy > 0.0 ? 2.0 * z[lag].real() * scale / energy : 0.0;
  }
}

// The lag (fractional) of the first peak, past the lobe around lag 0, that
// reaches the share of the highest; 0 when there is none.
double PitchDetector::PeakLag(double& clarity) const {
  std::vector<std::size_t> peaks;
  std::size_t lag = 1;
  while (lag < m_maxLag && m_nsdf[lag] > 0.0) {
    ++lag;
  }
  double highest = 0.0;
  while (lag < m_maxLag) {
    while (lag < m_maxLag && m_nsdf[lag] <= 0.0) {
      ++lag;
    }
    std::size_t best = lag;
    while (lag < m_maxLag && m_nsdf[lag] > 0.0) {
      if (m_nsdf[lag] > m_nsdf[best]) {
        best = lag;
      }
      ++lag;
    }
    // A lobe cut off by the end of the range counts once it has turned down.
    if (best >= m_minLag && best + 1 < m_maxLag && m_nsdf[best + 1] < m_nsdf[best]) {
      peaks.push_back(best);
      highest = std::max(highest, m_nsdf[best]);
    }
  }
  for (std::size_t peak : peaks) {
    if (m_nsdf[peak] < m_settings.peakShare * highest) {
      continue;
    }
    const double left = m_nsdf[peak - 1];
    const double mid = m_nsdf[peak];
    const double right = m_nsdf[peak + 1];
    const double curve = left - 2.0 * mid + right;
    double offset = 0.0;
    if (curve < 0.0) {
      offset = std::clamp(0.5 * (left - right) / curve, -0.5, 0.5);
    }
    clarity = std::min(1.0, mid - 0.25 * (left - right) * offset);
    return static_cast<double>(peak) + offset;
  }
  clarity = 0.0;
  return 0.0;
}

PitchEstimate PitchDetector::Detect(const float* frame) {
  PitchEstimate estimate;
  const std::size_t length = FrameLength();
  double sum = 0.0;
  for (std::size_t i = 0; i < length; ++i) {
    sum += frame[i];
  }
  const double mean = sum / static_cast<double>(length);
  double power = 0.0;
  for (std::size_t i = 0; i < length; ++i) {
    power += (frame[i] - mean) * (frame[i] - mean);
  }
  estimate.level = std::sqrt(power / static_cast<double>(length));
  if (estimate.level < m_settings.minLevel) {
    return estimate;
  }
  Correlate(frame, mean);
  const double lag = PeakLag(estimate.clarity);
  if (lag <= 0.0) {
    return estimate;
  }
  estimate.hz = m_settings.sampleRate / lag;
  estimate.voiced = estimate.clarity >= m_settings.minClarity && estimate.hz >= m_settings.minHz &&
                    estimate.hz <= m_settings.maxHz;
  return estimate;
}

}  // namespace kumoito::audio
