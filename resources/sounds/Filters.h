// Small filters for the generators: a one-pole low-pass (warmth, damping) and a
// state-variable band-pass (noise percussion).
#pragma once
#include <cmath>

#include "Tone.h"

namespace sounds {

class OnePoleLowpass {
 public:
  OnePoleLowpass(double cutoff, double rate) : Coefficient(1.0 - std::exp(-2.0 * Pi * cutoff / rate)) {}
  double Process(double in) {
    State += Coefficient * (in - State);
    return State;
  }

 private:
  double Coefficient;
  double State = 0.0;
};

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
