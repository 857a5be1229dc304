// The music's room: a stereo reverb of parallel damped combs and series all-passes, and a
// ping-pong echo. Both are linear and time-invariant, so the music can be rendered past its
// loop point and the tails wrapped onto the start.
#pragma once
#include <cstddef>
#include <vector>

namespace sounds {

class Reverb {
 public:
  // roomSize 0..1 sets the comb feedback (longer tail), damping 0..1 darkens it, width 0..1
  // separates the channels.
  Reverb(double rate, double roomSize, double damping, double width);
  void Process(double inLeft, double inRight, double& outLeft, double& outRight);

 private:
  struct Comb {
    std::vector<double> Line;
    std::size_t Position = 0;
    double Filter = 0.0;
  };
  struct AllPass {
    std::vector<double> Line;
    std::size_t Position = 0;
  };
  static double Run(Comb& comb, double in, double feedback, double damping);
  static double Run(AllPass& allPass, double in);

  std::vector<Comb> CombsLeft, CombsRight;
  std::vector<AllPass> AllPassesLeft, AllPassesRight;
  double Feedback, Damping, WetSame, WetCross;
};

// Echoes that alternate between the channels, each one darker and quieter than the last.
class PingPongDelay {
 public:
  PingPongDelay(double rate, double seconds, double feedback, double damping);
  void Process(double in, double& outLeft, double& outRight);

 private:
  std::vector<double> Left, Right;
  std::size_t Position = 0;
  double Feedback;
  double Coefficient;
  double FilterLeft = 0.0, FilterRight = 0.0;
};

}  // namespace sounds
