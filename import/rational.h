#pragma once
// Rational: an exact fraction of 64-bit integers, always reduced and with a
// positive denominator. Melodies keep their onsets and lengths in quarter
// notes as fractions, so that triplets and dotted notes stay exact until they
// are placed on the song's grid.
//
// Thread-safety: a value type.

#include <cstdint>

namespace kumoito::import {

__extension__ typedef __int128 Int128;

class Rational {
 public:
  constexpr Rational() = default;
  constexpr Rational(std::int64_t n) : m_num(n) {}  // NOLINT: a whole number is a fraction
  constexpr Rational(std::int64_t n, std::int64_t d) { Set(n, d); }

  constexpr std::int64_t Num() const { return m_num; }
  constexpr std::int64_t Den() const { return m_den; }

  // Largest whole number not above the value.
  constexpr std::int64_t Floor() const {
    return m_num >= 0 ? m_num / m_den : -((-m_num + m_den - 1) / m_den);
  }
  // Nearest multiple of 1/steps, halves rounded up, as a count of steps.
  constexpr std::int64_t RoundTo(std::int64_t steps) const {
    const Int128 twice = Int128{2} * m_num * steps + m_den;
    const Int128 den = Int128{2} * m_den;
    const Int128 q = twice >= 0 ? twice / den : -((-twice + den - 1) / den);
    return Clamp64(q);
  }
  constexpr double ToDouble() const {
    return static_cast<double>(m_num) / static_cast<double>(m_den);
  }

  friend constexpr Rational operator+(Rational a, Rational b) {
    return Make(Int128{a.m_num} * b.m_den + Int128{b.m_num} * a.m_den, Int128{a.m_den} * b.m_den);
  }
  friend constexpr Rational operator-(Rational a, Rational b) {
    return Make(Int128{a.m_num} * b.m_den - Int128{b.m_num} * a.m_den, Int128{a.m_den} * b.m_den);
  }
  friend constexpr Rational operator*(Rational a, Rational b) {
    return Make(Int128{a.m_num} * b.m_num, Int128{a.m_den} * b.m_den);
  }
  friend constexpr Rational operator/(Rational a, Rational b) {
    return Make(Int128{a.m_num} * b.m_den, Int128{a.m_den} * b.m_num);
  }
  Rational& operator+=(Rational b) { return *this = *this + b; }
  Rational& operator-=(Rational b) { return *this = *this - b; }
  friend constexpr bool operator==(Rational a, Rational b) {
    return a.m_num == b.m_num && a.m_den == b.m_den;
  }
  friend constexpr bool operator<(Rational a, Rational b) {
    return Int128{a.m_num} * b.m_den < Int128{b.m_num} * a.m_den;
  }
  friend constexpr bool operator>(Rational a, Rational b) { return b < a; }
  friend constexpr bool operator<=(Rational a, Rational b) { return !(b < a); }
  friend constexpr bool operator>=(Rational a, Rational b) { return !(a < b); }

 private:
  // Beyond this a value is kept to the nearest 1/kFallbackDen: no melody
  // needs finer steps, and what a damaged file asks for must not overflow.
  static constexpr Int128 kLimit = Int128{1} << 62;
  static constexpr std::int64_t kFallbackDen = 720720;  // divisible by 1 .. 16

  static constexpr std::int64_t Clamp64(Int128 v) {
    return v > kLimit
               ? static_cast<std::int64_t>(kLimit)
               : (v < -kLimit ? -static_cast<std::int64_t>(kLimit) : static_cast<std::int64_t>(v));
  }
  static constexpr Int128 Gcd(Int128 a, Int128 b) {
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    while (b != 0) {
      const Int128 t = a % b;
      a = b;
      b = t;
    }
    return a;
  }
  static constexpr Rational Make(Int128 n, Int128 d) {
    Rational r;
    if (d == 0) {  // a broken division from a file: taken as zero
      return r;
    }
    if (d < 0) {
      n = -n;
      d = -d;
    }
    const Int128 g = Gcd(n, d);
    if (g > 1) {
      n /= g;
      d /= g;
    }
    if (d > kLimit || n > kLimit || n < -kLimit) {
      // Kept to the nearest step of the fallback grid; a value too large
      // saturates as a whole number.
      const Int128 q = n / d;
      const Int128 rem = n % d;
      const Int128 most = kLimit / kFallbackDen;
      if (q > most || q < -most) {
        r.m_num = Clamp64(q);
        return r;
      }
      const Int128 frac =
          d > (Int128{1} << 100) ? rem / (d / kFallbackDen) : rem * kFallbackDen / d;
      n = q * kFallbackDen + frac;
      d = kFallbackDen;
      const Int128 h = Gcd(n, d);
      if (h > 1) {
        n /= h;
        d /= h;
      }
    }
    r.m_num = static_cast<std::int64_t>(n);
    r.m_den = static_cast<std::int64_t>(d);
    return r;
  }
  constexpr void Set(std::int64_t n, std::int64_t d) { *this = Make(n, d); }

  std::int64_t m_num = 0;
  std::int64_t m_den = 1;
};

}  // namespace kumoito::import
