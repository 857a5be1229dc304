#include "Effects.h"

#include <algorithm>
#include <cmath>

#include "Rng.h"
#include "Tone.h"
#include "WaveFile.h"

namespace sounds {

const std::array<EffectInfo, EffectCount> Effects = {{
    {"ID_MENUUPDOWN", 14464, -2.0},
    {"ID_MENULEFTRIGHT", 24904, -1.0},
    {"ID_MENUIN", 16456, 0.0},
    {"ID_MENUOUT", 28586, 0.0},
    {"ID_MENUCHAR", 17448, -2.5},
    {"ID_PLAYLEFTRIGHT", 9216, -3.0},
    {"ID_PLAYUP", 23040, -1.0},
    {"ID_PLAYLINE", 31924, 0.0},
    // Heard on every tick of the game, so it stays well in the background.
    {"ID_PLAYMOVE", 4720, -9.0},
    {"ID_PLAYLEVEL", 51842, 0.0},
}};

namespace {

constexpr double Rate = EffectRate;
constexpr double TargetLoudnessDb = -15.0;
constexpr double PeakCeiling = 0.84;  // -1.5 dBFS, safely under the -1 dBFS limit
constexpr double FadeInSeconds = 0.002;
constexpr double FadeOutSeconds = 0.012;

// The scale every effect is drawn from (MIDI numbers): D major, pentatonic notes first.
constexpr double D4 = 62, A4 = 69, B4 = 71;
constexpr double D5 = 74, E5 = 76, Fs5 = 78, A5 = 81, B5 = 83;
constexpr double D6 = 86, E6 = 88, Fs6 = 90, A6 = 93;

// A small glass bar struck with a soft mallet: a slightly scooped fundamental over the
// inharmonic partials of a free bar, the bright ones dying first.
Tone Glass(double note, double decay, double brightness = 1.0) {
  Tone tone;
  tone.Frequency = NoteFrequency(note);
  tone.Partials = {{1.0, 1.0, decay},
                   {2.0, 0.10 * brightness, decay * 0.55},
                   {2.76, 0.26 * brightness, decay * 0.32},
                   {5.40, 0.08 * brightness, decay * 0.13}};
  tone.Attack = 0.0015;
  tone.Scoop = 0.05;
  tone.ScoopTime = 0.008;
  tone.Hold = decay * 5.0;
  tone.Release = decay * 1.5;
  return tone;
}

// A small air bubble: an almost pure tone whose pitch rises as it shrinks.
Tone Bubble(double note, double decay, double sweep) {
  Tone tone;
  tone.Frequency = NoteFrequency(note);
  tone.Partials = {{1.0, 1.0, decay}, {2.0, 0.06, decay * 0.5}};
  tone.Attack = 0.002;
  tone.Scoop = 0.12;
  tone.ScoopTime = 0.006;
  tone.Sweep = sweep;
  tone.Hold = decay * 4.0;
  tone.Release = decay * 2.0;
  return tone;
}

class Canvas {
 public:
  explicit Canvas(std::size_t frames) : Samples(frames, 0.0f) {}
  void Add(const Tone& tone, double atSeconds, double gain) {
    const auto start = static_cast<std::size_t>(std::lround(atSeconds * Rate));
    MixInto(Samples, RenderTone(tone, Rate), start, gain);
  }
  std::vector<float> Take(std::size_t frames) {
    Samples.resize(frames, 0.0f);
    return std::move(Samples);
  }

 private:
  std::vector<float> Samples;
};

// Menu move: one light tap.
void MenuUpDown(Canvas& canvas) {
  canvas.Add(Glass(A5, 0.07), 0.0, 1.0);
  canvas.Add(Glass(A4, 0.05, 0.3), 0.0, 0.22);
}

// A value changes: two quick taps a fourth apart.
void MenuLeftRight(Canvas& canvas) {
  canvas.Add(Glass(Fs5, 0.06), 0.0, 0.8);
  canvas.Add(Glass(B5, 0.11), 0.075, 1.0);
  canvas.Add(Glass(B4, 0.08, 0.3), 0.075, 0.2);
}

// Entering a menu: a bright rising figure that opens up.
void MenuIn(Canvas& canvas) {
  canvas.Add(Glass(D5, 0.05), 0.0, 0.75);
  canvas.Add(Glass(A5, 0.05), 0.045, 0.85);
  canvas.Add(Glass(D6, 0.075), 0.09, 1.0);
}

// Leaving: a falling figure that settles on the low tonic, warmer than the way in.
void MenuOut(Canvas& canvas) {
  canvas.Add(Glass(A5, 0.06, 0.7), 0.0, 0.9);
  canvas.Add(Glass(Fs5, 0.06, 0.7), 0.065, 0.85);
  canvas.Add(Glass(D5, 0.12, 0.6), 0.13, 1.0);
  canvas.Add(Glass(D4, 0.11, 0.2), 0.13, 0.45);
}

// A typed character: a small, dry, high tick that stays pleasant when repeated.
void MenuChar(Canvas& canvas) {
  canvas.Add(Glass(E6, 0.04, 1.2), 0.0, 1.0);
  canvas.Add(Glass(E5, 0.05, 0.3), 0.0, 0.35);
}

// The bubble moves sideways: a short plip.
void PlayLeftRight(Canvas& canvas) { canvas.Add(Bubble(Fs5, 0.035, 4.0), 0.0, 1.0); }

// The bubble is sent up: a quick run of rising bubbles that lands on a tap.
void PlayUp(Canvas& canvas) {
  const double run[] = {D5, E5, Fs5, A5, B5, D6};
  for (int i = 0; i < 6; ++i)
    canvas.Add(Bubble(run[i], 0.03, 5.0), 0.034 * i, 0.55 + 0.07 * i);
  canvas.Add(Glass(D6, 0.09), 0.21, 0.8);
  canvas.Add(Glass(A5, 0.08, 0.5), 0.21, 0.35);
}

// A row is removed: bubbles burst over a shimmering, strummed major chord.
void PlayLine(Canvas& canvas) {
  Rng rng(7);
  const double pops[] = {A5, B5, D6, E6, Fs6, A6};
  for (int i = 0; i < 7; ++i) {
    const double at = 0.02 + 0.03 * i + rng.Range(0.0, 0.012);
    canvas.Add(Bubble(pops[rng.Below(6)], 0.025, 6.0), at, 0.35 + rng.Range(0.0, 0.15));
  }
  const double chord[] = {D5, Fs5, A5, D6};
  for (int i = 0; i < 4; ++i) {
    Tone tone = Glass(chord[i], 0.17, 0.8);
    tone.TremoloRate = 7.0;
    tone.TremoloDepth = 0.15;
    canvas.Add(tone, 0.01 + 0.014 * i, 0.5);
  }
  canvas.Add(Glass(D4, 0.2, 0.2), 0.01, 0.3);
}

// A bubble steps up a row: a soft, low blub, in the background of play.
void PlayMove(Canvas& canvas) { canvas.Add(Bubble(D4, 0.028, 2.0), 0.0, 1.0); }

// A game starts or the level rises: a climbing arpeggio that blooms into a ringing chord.
void PlayLevel(Canvas& canvas) {
  const double arpeggio[] = {D5, Fs5, A5, D6, Fs6};
  for (int i = 0; i < 5; ++i)
    canvas.Add(Glass(arpeggio[i], 0.12), 0.07 * i, 0.55 + 0.05 * i);
  const double chord[] = {D5, A5, D6, Fs6};
  for (int i = 0; i < 4; ++i) {
    Tone tone = Glass(chord[i], 0.24, 0.6);
    tone.TremoloRate = 5.5;
    tone.TremoloDepth = 0.25;
    tone.Hold = 0.62;
    tone.Release = 0.14;
    canvas.Add(tone, 0.36 + 0.012 * i, 0.42);
  }
  canvas.Add(Glass(D4, 0.3, 0.2), 0.36, 0.35);
  Rng rng(11);
  const double sparkle[] = {A5, B5, D6, E6, Fs6};
  for (int i = 0; i < 4; ++i)
    canvas.Add(Bubble(sparkle[rng.Below(5)], 0.025, 5.0), 0.42 + 0.09 * i + rng.Range(0.0, 0.03), 0.22);
}

using Maker = void (*)(Canvas&);
constexpr std::array<Maker, EffectCount> Makers = {MenuUpDown, MenuLeftRight, MenuIn,   MenuOut,  MenuChar,
                                                   PlayLeftRight, PlayUp,  PlayLine, PlayMove, PlayLevel};

// Raised-cosine fades at both ends, so the sound starts and stops without a click.
void Fade(std::vector<float>& samples) {
  const auto fadeIn = std::min(samples.size(), static_cast<std::size_t>(FadeInSeconds * Rate));
  const auto fadeOut = std::min(samples.size(), static_cast<std::size_t>(FadeOutSeconds * Rate));
  for (std::size_t i = 0; i < fadeIn; ++i)
    samples[i] *= static_cast<float>(0.5 - 0.5 * std::cos(Pi * static_cast<double>(i) / static_cast<double>(fadeIn)));
  for (std::size_t i = 0; i < fadeOut; ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(fadeOut - 1);
    samples[samples.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(Pi * x));
  }
}

double Peak(const std::vector<float>& samples) {
  double peak = 0.0;
  for (float sample : samples) peak = std::max(peak, std::fabs(static_cast<double>(sample)));
  return peak;
}

}  // namespace

double ShortTermLoudnessDb(const std::vector<float>& samples, double rate) {
  const auto window = std::max<std::size_t>(1, static_cast<std::size_t>(0.05 * rate));
  double sum = 0.0, loudest = 0.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    sum += static_cast<double>(samples[i]) * samples[i];
    if (i >= window) sum -= static_cast<double>(samples[i - window]) * samples[i - window];
    loudest = std::max(loudest, sum);
  }
  const double rms = std::sqrt(std::max(loudest, 0.0) / static_cast<double>(window));
  return 20.0 * std::log10(std::max(rms, 1e-12));
}

std::vector<int16_t> RenderEffect(int index) {
  const EffectInfo& info = Effects.at(static_cast<std::size_t>(index));
  const std::size_t frames = info.DataBytes / 2;
  Canvas canvas(frames);
  Makers.at(static_cast<std::size_t>(index))(canvas);
  std::vector<float> samples = canvas.Take(frames);
  Fade(samples);

  const double loudness = ShortTermLoudnessDb(samples, Rate);
  double gain = std::pow(10.0, (TargetLoudnessDb + info.LevelDb - loudness) / 20.0);
  const double peak = Peak(samples);
  if (peak * gain > PeakCeiling) gain = PeakCeiling / peak;
  for (float& sample : samples) sample = static_cast<float>(sample * gain);
  return ToPcm16(samples);
}

std::vector<uint8_t> MakeEffectFile(int index) { return MakeWaveFile(RenderEffect(index), EffectRate, 1); }

}  // namespace sounds
