#include "audio/pitch/fft.h"

#include <cassert>
#include <cmath>
#include <numbers>
#include <utility>

namespace kumoito::audio {

std::size_t NextPowerOfTwo(std::size_t n) {
  std::size_t size = 2;
  while (size < n) {
    size <<= 1;
  }
  return size;
}

Fft::Fft(std::size_t size) : m_size(size), m_twiddles(size / 2), m_reversed(size) {
  assert(size >= 2 && (size & (size - 1)) == 0);
  for (std::size_t k = 0; k < size / 2; ++k) {
    const double angle =
        -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size);
    m_twiddles[k] = {std::cos(angle), std::sin(angle)};
  }
  int bits = 0;
  while ((std::size_t{1} << bits) < size) {
    ++bits;
  }
  for (std::size_t i = 0; i < size; ++i) {
    std::size_t r = 0;
    for (int b = 0; b < bits; ++b) {
      r |= ((i >> b) & 1u) << (bits - 1 - b);
    }
    m_reversed[i] = r;
  }
}

void Fft::Transform(std::complex<double>* data, bool inverse) const {
  for (std::size_t i = 0; i < m_size; ++i) {
    if (i < m_reversed[i]) {
      std::swap(data[i], data[m_reversed[i]]);
    }
  }
  for (std::size_t half = 1; half < m_size; half <<= 1) {
    const std::size_t step = m_size / (2 * half);
    for (std::size_t start = 0; start < m_size; start += 2 * half) {
      for (std::size_t k = 0; k < half; ++k) {
        std::complex<double> w = m_twiddles[k * step];
        if (inverse) {
          w = std::conj(w);
        }
        const std::complex<double> odd = w * data[start + k + half];
        data[start + k + half] = data[start + k] - odd;
        data[start + k] += odd;
      }
    }
  }
}

}  // namespace kumoito::audio
