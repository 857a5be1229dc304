#include "core/Random.h"

#include <chrono>

uint32_t TRandom::Next(uint32_t range) {
  // The engine's 2^32 values are cut to a whole number of runs of range values, the partial
  // run at the top redrawn, so that every result is equally likely. For a power of two there
  // is no partial run (the limit wraps to 0).
  const auto limit = static_cast<uint32_t>((uint64_t{1} << 32) - (uint64_t{1} << 32) % range);
  for (;;) {
    const auto value = static_cast<uint32_t>(Engine());
    ++Position.Draws;
    if (limit == 0 || value < limit) return value % range;
  }
}

TTickCount SystemTickCount() {
  return [] {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  };
}
