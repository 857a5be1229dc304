#include "Tone.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sounds {

namespace {

constexpr std::size_t SineTableSize = 4096;

const std::array<double, SineTableSize + 1>& SineTable() {
  static const auto table = [] {
    std::array<double, SineTableSize + 1> values{};
    for (std::size_t i = 0; i <= SineTableSize; ++i)
      values[i] = std::sin(2.0 * Pi * static_cast<double>(i) / SineTableSize);
    return values;
  }();
  return table;
}

// 0.5 - 0.5 cos(pi x), through the table: it shapes every sample's envelope.
double RaisedCosine(double x) { return 0.5 - 0.5 * FastSine(0.5 * x + 0.25); }

}  // namespace

double NoteFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double FastSine(double cycles) {
  const auto& table = SineTable();
  const double wrapped = cycles - std::floor(cycles);
  const double position = wrapped * SineTableSize;
  auto index = static_cast<std::size_t>(position);
  if (index >= SineTableSize) index = SineTableSize - 1;
  const double fraction = position - static_cast<double>(index);
  return table[index] + (table[index + 1] - table[index]) * fraction;
}

std::vector<float> RenderTone(const Tone& tone, double rate) {
  const auto frames = static_cast<std::size_t>(std::lround(tone.Length() * rate));
  std::vector<float> out(frames, 0.0f);
  const double maxEndPitch = tone.Frequency * (1.0 + std::max(0.0, tone.Sweep) * tone.Length()) *
                             (1.0 + std::max(0.0, -tone.Scoop)) * (1.0 + tone.VibratoDepth);

  struct Voice {
    double Ratio, Level, Fall, Phase;
  };
  std::vector<Voice> voices;
  for (const Partial& partial : tone.Partials) {
    if (partial.Ratio * maxEndPitch >= 0.45 * rate) continue;
    voices.push_back({partial.Ratio, partial.Gain, std::exp(-1.0 / (partial.Decay * rate)), tone.Phase - std::floor(tone.Phase)});
  }
  if (voices.empty()) return out;

  const auto& table = SineTable();
  const double scoopFall = tone.ScoopTime > 0.0 ? std::exp(-1.0 / (tone.ScoopTime * rate)) : 0.0;
  double scoop = tone.Scoop;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    double step = tone.Frequency * (1.0 + tone.Sweep * t) * (1.0 - scoop) / rate;
    if (tone.VibratoDepth > 0.0)
      step *= 1.0 + tone.VibratoDepth * std::min(1.0, t / tone.VibratoDelay) * FastSine(tone.VibratoRate * t);
    scoop *= scoopFall;

    double envelope = 1.0;
    if (t < tone.Attack) envelope = RaisedCosine(t / tone.Attack);
    if (t > tone.Hold) envelope *= RaisedCosine(1.0 - std::min(1.0, (t - tone.Hold) / tone.Release));
    if (tone.TremoloDepth > 0.0)
      envelope *= 1.0 - tone.TremoloDepth * RaisedCosine(2.0 * tone.TremoloRate * t);

    double sum = 0.0;
    for (Voice& voice : voices) {
      // Phases stay in [0, 1), so the table is read directly.
      const double position = voice.Phase * SineTableSize;
      const auto index = static_cast<std::size_t>(position);
      const double fraction = position - static_cast<double>(index);
      sum += voice.Level * (table[index] + (table[index + 1] - table[index]) * fraction);
      voice.Phase += voice.Ratio * step;
      while (voice.Phase >= 1.0) voice.Phase -= 1.0;
      voice.Level *= voice.Fall;
    }
    out[i] = static_cast<float>(sum * envelope);
  }
  // The release ends in exact silence, whatever rounding did on the way.
  if (frames > 0) out[frames - 1] = 0.0f;
  return out;
}

void MixInto(std::vector<float>& target, const std::vector<float>& source, std::size_t start, double gain) {
  if (target.size() < start + source.size()) target.resize(start + source.size(), 0.0f);
  for (std::size_t i = 0; i < source.size(); ++i)
    target[start + i] += static_cast<float>(source[i] * gain);
}

double PanLeft(double pan) { return std::cos((pan + 1.0) * Pi / 4.0); }
double PanRight(double pan) { return std::sin((pan + 1.0) * Pi / 4.0); }

}  // namespace sounds
