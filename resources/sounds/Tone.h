// Tones of the game's sound palette: sums of decaying sine partials (mallets, glass, plucks,
// pads) with an optional pitch scoop or sweep (bubbles). Used by the effects and the music.
#pragma once
#include <cstddef>
#include <vector>

namespace sounds {

constexpr double Pi = 3.14159265358979323846;

// Pitch in hertz of a MIDI note number (69 is A at 440 Hz); fractional numbers bend.
double NoteFrequency(double note);

// sin(2 pi cycles) from a table: much faster than std::sin for big oscillator banks.
double FastSine(double cycles);

// One sine component: frequency ratio to the fundamental, gain, and the time in seconds in
// which it falls to 1/e (a very large decay holds it steady).
struct Partial {
  double Ratio;
  double Gain;
  double Decay;
};

struct Tone {
  double Frequency = 440.0;
  std::vector<Partial> Partials;
  double Attack = 0.004;   // raised-cosine rise in seconds: no click at the start
  double Hold = 1.0;       // seconds from the start until the release begins
  double Release = 0.05;   // raised-cosine fall to exact silence
  // The pitch starts Scoop (a fraction) below its note and settles within about ScoopTime
  // seconds: the "bloop" of a bubble or a soft mallet. A negative Scoop starts above.
  double Scoop = 0.0;
  double ScoopTime = 0.01;
  double Sweep = 0.0;      // steady pitch rise, as a fraction of the pitch per second
  double TremoloRate = 0.0;   // hertz
  double TremoloDepth = 0.0;  // 0..1
  // A sung vibrato: the pitch wavers by VibratoDepth (a fraction), growing in over the
  // first VibratoDelay seconds so that short notes stay plain.
  double VibratoRate = 0.0;   // hertz
  double VibratoDepth = 0.0;
  double VibratoDelay = 0.3;
  double Phase = 0.0;         // starting phase of every partial, in cycles

  double Length() const { return Hold + Release; }
};

// The tone's samples at the given rate, Length() seconds long. Partials that would fold
// over half the rate are left out.
std::vector<float> RenderTone(const Tone& tone, double rate);

// Adds source, scaled by gain, into target from frame start on; target grows as needed.
void MixInto(std::vector<float>& target, const std::vector<float>& source, std::size_t start, double gain);

// Equal-power pan gains for pan -1 (left) .. +1 (right).
double PanLeft(double pan);
double PanRight(double pan);

}  // namespace sounds
