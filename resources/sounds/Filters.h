// The generators' filter: a state-variable band-pass that shapes noise into percussion.
#pragma once
#include <cmath>

#include "Tone.h"

namespace sounds {

// Trapezoidal state-variable filter: stable at any cutoff below half the rate.
class BandPass {
 public:
  BandPass(double centre, double q, double rate)
      : G(std::tan(Pi * centre / rate)), K(1.0 / q), A1(1.0 / (1.0 + G * (G + K))) {}
  double Process(double in) {
    const double v1 = A1 * (S1 + G * (in - S2));
    const double v2 = S2 + G * v1;
    S1 = 2.0 * v1 - S1;
    S2 = 2.0 * v2 - S2;
    return K * v1;  // unity gain at the centre
  }

 private:
  double G, K, A1;
  double S1 = 0.0, S2 = 0.0;
};

}  // namespace sounds
