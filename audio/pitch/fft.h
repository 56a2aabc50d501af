#pragma once
// A complex fast Fourier transform of one power-of-two size, radix 2, with
// its twiddle factors and bit-reversal table computed once. Small enough
// that the pitch detector needs no outside library for its correlations.
//
// Thread-safety: Transform only reads the tables, so one Fft may be shared
// by threads that each pass their own buffer.

#include <complex>
#include <cstddef>
#include <vector>

namespace kumoito::audio {

class Fft {
 public:
  // size: a power of two, at least 2.
  explicit Fft(std::size_t size);

  std::size_t Size() const { return m_size; }
  // In place; inverse leaves the result scaled by Size() (no 1/N).
  void Transform(std::complex<double>* data, bool inverse) const;

 private:
  std::size_t m_size;
  std::vector<std::complex<double>> m_twiddles;  // e^{-2 pi i k / N}, k < N/2
  std::vector<std::size_t> m_reversed;
};

// The smallest power of two not below n (and at least 2).
std::size_t NextPowerOfTwo(std::size_t n);

}  // namespace kumoito::audio
