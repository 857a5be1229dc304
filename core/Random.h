// The game's random numbers: a uniform generator reseeded from the millisecond tick count
// where the rules say so. Both the tick count and the generator can be replaced by tests.
#pragma once
#include <cstdint>
#include <functional>
#include <random>

class TRandom {
 public:
  void Seed(uint32_t seed) { Engine.seed(seed); }
  // A uniform draw from 0..range-1 (range > 0).
  uint32_t Next(uint32_t range) { return std::uniform_int_distribution<uint32_t>(0, range - 1)(Engine); }

 private:
  std::mt19937 Engine{0};
};

// Milliseconds since an arbitrary start, like the system tick count.
using TTickCount = std::function<uint32_t()>;
TTickCount SystemTickCount();
