#include "Reverb.h"

#include <array>
#include <cmath>

namespace sounds {

namespace {

// Delay lengths in samples at 44100 Hz, mutually prime so their echoes never line up.
constexpr std::array<int, 8> CombLengths = {1103, 1181, 1277, 1361, 1423, 1493, 1559, 1621};
constexpr std::array<int, 4> AllPassLengths = {557, 443, 347, 227};
constexpr int StereoSpread = 29;

std::size_t Scaled(int length, double rate) {
  return static_cast<std::size_t>(std::lround(length * rate / 44100.0));
}

}  // namespace

Reverb::Reverb(double rate, double roomSize, double damping, double width)
    : Feedback(0.7 + 0.28 * roomSize),
      Damping(damping * 0.4),
      WetSame(0.5 * (1.0 + width)),
      WetCross(0.5 * (1.0 - width)) {
  for (int length : CombLengths) {
    CombsLeft.push_back({std::vector<double>(Scaled(length, rate), 0.0)});
    CombsRight.push_back({std::vector<double>(Scaled(length + StereoSpread, rate), 0.0)});
  }
  for (int length : AllPassLengths) {
    AllPassesLeft.push_back({std::vector<double>(Scaled(length, rate), 0.0)});
    AllPassesRight.push_back({std::vector<double>(Scaled(length + StereoSpread, rate), 0.0)});
  }
}

double Reverb::Run(Comb& comb, double in, double feedback, double damping) {
  const double out = comb.Line[comb.Position];
  comb.Filter = out * (1.0 - damping) + comb.Filter * damping;
  comb.Line[comb.Position] = in + comb.Filter * feedback;
  if (++comb.Position == comb.Line.size()) comb.Position = 0;
  return out;
}

double Reverb::Run(AllPass& allPass, double in) {
  const double delayed = allPass.Line[allPass.Position];
  const double out = delayed - in;
  allPass.Line[allPass.Position] = in + delayed * 0.5;
  if (++allPass.Position == allPass.Line.size()) allPass.Position = 0;
  return out;
}

void Reverb::Process(double inLeft, double inRight, double& outLeft, double& outRight) {
  // Both channels feed one room; the spread of the right channel's lines gives the width.
  const double in = (inLeft + inRight) * 0.015;
  double left = 0.0, right = 0.0;
  for (std::size_t i = 0; i < CombsLeft.size(); ++i) {
    left += Run(CombsLeft[i], in, Feedback, Damping);
    right += Run(CombsRight[i], in, Feedback, Damping);
  }
  for (std::size_t i = 0; i < AllPassesLeft.size(); ++i) {
    left = Run(AllPassesLeft[i], left);
    right = Run(AllPassesRight[i], right);
  }
  outLeft = left * WetSame + right * WetCross;
  outRight = right * WetSame + left * WetCross;
}

PingPongDelay::PingPongDelay(double rate, double seconds, double feedback, double damping)
    : Left(static_cast<std::size_t>(std::lround(seconds * rate)), 0.0),
      Right(Left.size(), 0.0),
      Feedback(feedback),
      Coefficient(damping) {}

void PingPongDelay::Process(double in, double& outLeft, double& outRight) {
  const double fromLeft = Left[Position];
  const double fromRight = Right[Position];
  // Each echo is darkened a little by a one-pole low-pass before it crosses over.
  FilterLeft += (1.0 - Coefficient) * (fromLeft - FilterLeft);
  FilterRight += (1.0 - Coefficient) * (fromRight - FilterRight);
  Left[Position] = in + FilterRight * Feedback;
  Right[Position] = FilterLeft * Feedback;
  if (++Position == Left.size()) Position = 0;
  outLeft = fromLeft;
  outRight = fromRight;
}

}  // namespace sounds
