// Random choices of the sound generators. A small fixed generator (PCG32) of our own, so the
// same seed gives the same sounds on every machine and every build.
#pragma once
#include <cstdint>

namespace sounds {

class Rng {
 public:
  explicit Rng(uint64_t seed) { State = seed * 6364136223846793005ULL + 1442695040888963407ULL; }

  uint32_t Next() {
    const uint64_t old = State;
    State = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rot = static_cast<uint32_t>(old >> 59U);
    return (xorshifted >> rot) | (xorshifted << ((32U - rot) & 31U));
  }
  // Uniform in [0, 1).
  double Uniform() { return Next() * (1.0 / 4294967296.0); }
  double Range(double low, double high) { return low + (high - low) * Uniform(); }
  // Uniform in 0..count-1 (count > 0).
  int Below(int count) { return static_cast<int>(Uniform() * count); }
  // Uniform in [-1, 1): white noise.
  double Noise() { return 2.0 * Uniform() - 1.0; }

 private:
  uint64_t State;
};

}  // namespace sounds
