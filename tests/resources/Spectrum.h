// The average power spectrum of a sound, for the tests that judge how the sounds are voiced.
#pragma once
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <utility>
#include <vector>

namespace spectrum {

// In-place radix-2 FFT; the size is a power of two.
inline void Transform(std::vector<std::complex<double>>& values) {
  const std::size_t n = values.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1U;
    for (; (j & bit) != 0; bit >>= 1U) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(values[i], values[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1U) {
    const std::complex<double> turn = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
    for (std::size_t start = 0; start < n; start += length) {
      std::complex<double> w = 1.0;
      for (std::size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> even = values[start + k], odd = values[start + k + length / 2] * w;
        values[start + k] = even + odd;
        values[start + k + length / 2] = even - odd;
        w *= turn;
      }
    }
  }
}

// Power in each of window / 2 + 1 bins, summed over Hann-windowed frames of every channel
// given; bin k lies at k * rate / window hertz.
template <typename Sample>
std::vector<double> Power(const std::vector<std::vector<Sample>>& channels, std::size_t window) {
  std::vector<double> power(window / 2 + 1, 0.0);
  std::vector<std::complex<double>> frame(window);
  for (const std::vector<Sample>& samples : channels) {
    for (std::size_t start = 0; start + window <= samples.size(); start += window) {
      for (std::size_t i = 0; i < window; ++i) {
        const double phase = static_cast<double>(i) / static_cast<double>(window);
        frame[i] = (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * phase)) * static_cast<double>(samples[start + i]);
      }
      Transform(frame);
      for (std::size_t k = 0; k < power.size(); ++k) power[k] += std::norm(frame[k]);
    }
  }
  return power;
}

}  // namespace spectrum
