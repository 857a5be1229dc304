// The game's random numbers: a uniform generator reseeded from the millisecond tick count
// where the rules say so. Both the tick count and the generator can be replaced by tests.
//
// The draws are the same with every compiler and standard library (the engine is the
// standard's Mersenne twister, the mapping onto a range is our own), and the generator knows
// how far it stands from its last seed, so that a replay can put it back exactly where a
// game found it.
#pragma once
#include <cstdint>
#include <functional>
#include <random>

class TRandom {
 public:
  // Where the generator stands: seeded with Seed, then Draws numbers taken from the engine.
  struct TState {
    uint32_t Seed = 0;
    uint32_t Draws = 0;
    bool operator==(const TState&) const = default;
  };

  void Seed(uint32_t seed) {
    Engine.seed(seed);
    Position = {seed, 0};
  }
  // A uniform draw from 0..range-1 (range > 0).
  uint32_t Next(uint32_t range);

  TState State() const { return Position; }
  void Restore(TState state) {
    Seed(state.Seed);
    Engine.discard(state.Draws);
    Position.Draws = state.Draws;
  }

 private:
  std::mt19937 Engine{0};
  TState Position;
};

// Milliseconds since an arbitrary start, like the system tick count.
using TTickCount = std::function<uint32_t()>;
TTickCount SystemTickCount();
