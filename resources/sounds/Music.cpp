#include "Music.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Filters.h"
#include "OggVorbisWriter.h"
#include "Rng.h"
#include "Tone.h"

namespace sounds {

namespace {

constexpr double Rate = MusicRate;
constexpr double TargetRms = 0.11;     // about -19 dBFS: music to play under the effects
constexpr double PeakCeiling = 0.84;   // -1.5 dBFS

struct Sends {
  double Gain, Reverb, Echo;
};

Sends MixOf(Voice voice) {
  switch (voice) {
    case Voice::Lead: return {0.22, 0.2, 0.22};
    case Voice::Harmony: return {0.14, 0.25, 0.1};
    case Voice::Bell: return {0.25, 0.35, 0.3};
    case Voice::Pluck: return {0.1, 0.2, 0.0};
    case Voice::Bass: return {0.16, 0.02, 0.0};
    case Voice::Pad: return {0.035, 0.5, 0.0};
    case Voice::Arpeggio: return {0.13, 0.45, 0.25};
    case Voice::Kick: return {0.33, 0.02, 0.0};
    case Voice::Clap: return {1.5, 0.25, 0.0};
    case Voice::HiHat: return {0.5, 0.08, 0.0};
    case Voice::Shaker: return {0.5, 0.1, 0.0};
    case Voice::Bubble: return {0.25, 0.4, 0.35};
  }
  return {0.0, 0.0, 0.0};
}

class Buses {
 public:
  explicit Buses(std::size_t frames)
      : DryLeft(frames), DryRight(frames), ReverbLeft(frames), ReverbRight(frames), Echo(frames) {}

  void Add(const std::vector<float>& samples, double atSeconds, double gain, double pan, const Sends& sends) {
    const auto start = static_cast<std::size_t>(std::lround(atSeconds * Rate));
    const double left = gain * PanLeft(pan), right = gain * PanRight(pan);
    MixInto(DryLeft, samples, start, left);
    MixInto(DryRight, samples, start, right);
    if (sends.Reverb > 0.0) {
      MixInto(ReverbLeft, samples, start, left * sends.Reverb);
      MixInto(ReverbRight, samples, start, right * sends.Reverb);
    }
    if (sends.Echo > 0.0) MixInto(Echo, samples, start, gain * sends.Echo);
  }

  std::size_t Frames() const { return DryLeft.size(); }
  void Extend(std::size_t frames) {
    for (auto* bus : {&DryLeft, &DryRight, &ReverbLeft, &ReverbRight, &Echo}) bus->resize(frames, 0.0f);
  }

  std::vector<float> DryLeft, DryRight, ReverbLeft, ReverbRight, Echo;
};

// One note's tone: its partials, a raised-cosine rise, held for hold seconds, then a fall to
// silence. A positive scoop starts it a little flat, as a struck or plucked note does; a
// negative one starts it above.
Tone Voiced(double pitch, std::vector<Partial> partials, double attack, double hold, double release,
            double scoop = 0.0, double scoopTime = 0.006) {
  Tone tone;
  tone.Frequency = NoteFrequency(pitch);
  tone.Partials = std::move(partials);
  tone.Attack = attack;
  tone.Hold = hold;
  tone.Release = release;
  tone.Scoop = scoop;
  tone.ScoopTime = scoopTime;
  return tone;
}

// Band-passed noise for the drums without a pitch. A clap is a few quick bursts (flutter)
// before its tail.
struct NoiseShape {
  double Centre, Q;
  double Decay;    // seconds to 1/e
  double Seconds;  // length of the hit
  int Bursts = 1;
  double Attack = 0.001;
};

std::vector<float> NoiseHit(Rng& rng, const NoiseShape& shape) {
  constexpr double BurstGap = 0.009, BurstRise = 0.0005, BurstDecay = 0.004, FadeOut = 0.005;
  const auto frames = static_cast<std::size_t>(shape.Seconds * Rate);
  std::vector<float> out(frames);
  BandPass band(shape.Centre, shape.Q, Rate);
  const double tailStart = BurstGap * (shape.Bursts - 1);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / Rate;
    double envelope = std::exp(-(t - tailStart) / shape.Decay);
    if (t < tailStart) {
      // Each burst of the flutter swells in quickly, so none of them snaps on.
      const double inBurst = std::fmod(t, BurstGap);
      envelope = std::min(1.0, inBurst / BurstRise) * std::exp(-inBurst / BurstDecay);
    }
    if (t < shape.Attack) envelope *= 0.5 - 0.5 * std::cos(Pi * t / shape.Attack);
    const double left = shape.Seconds - t;
    if (left < FadeOut) envelope *= 0.5 - 0.5 * std::cos(Pi * std::max(0.0, left) / FadeOut);
    out[i] = static_cast<float>(band.Process(rng.Noise()) * envelope);
  }
  if (frames > 0) out[frames - 1] = 0.0f;
  return out;
}

}  // namespace

std::vector<float> RenderNote(const Note& note, double secondsPerBeat, Rng& rng) {
  const double seconds = note.Length * secondsPerBeat;
  const double pitch = note.Pitch;
  switch (note.Instrument) {
    case Voice::Lead:
    case Voice::Harmony: {
      // A soft square with a little of the even harmonics, hollow and clear, the upper ones
      // fading first as on a plucked string; a sung vibrato on the long notes.
      Tone tone = Voiced(pitch,
                         {{1, 1.0, 2.0}, {2, 0.45, 1.2}, {3, 0.5, 0.8}, {4, 0.25, 0.5}, {5, 0.3, 0.4}, {6, 0.12, 0.3},
                          {7, 0.16, 0.25}, {8, 0.06, 0.2}, {9, 0.1, 0.18}, {11, 0.06, 0.12}, {13, 0.03, 0.1}},
                         0.004, seconds * 0.92, 0.07, 0.012, 0.01);
      tone.VibratoRate = 5.5;
      tone.VibratoDepth = 0.0035;
      tone.VibratoDelay = 0.35;
      return RenderTone(tone, Rate);
    }
    case Voice::Bell:
      // A glockenspiel bar: the inharmonic partials of a free bar over a ringing fundamental.
      return RenderTone(
          Voiced(pitch, {{1.0, 1.0, 0.5}, {2.76, 0.3, 0.15}, {5.4, 0.12, 0.06}, {8.93, 0.05, 0.03}}, 0.0015, 0.9, 0.3,
                 0.02),
          Rate);
    case Voice::Arpeggio:
      // A smaller, purer glass bar.
      return RenderTone(Voiced(pitch, {{1.0, 1.0, 0.45}, {2.76, 0.12, 0.12}, {5.4, 0.04, 0.05}}, 0.002, 0.7, 0.3, 0.03),
                        Rate);
    case Voice::Pluck:
      // A kalimba-like pluck for the chords: bright at the strike, gone within a quarter second.
      return RenderTone(Voiced(pitch,
                               {{1, 1.0, 0.3}, {2, 0.5, 0.15}, {3, 0.3, 0.08}, {4, 0.2, 0.05}, {5, 0.1, 0.04},
                                {7, 0.05, 0.025}},
                               0.002, seconds, 0.08),
                        Rate);
    case Voice::Bass:
      // A round, plucked bass whose second and third harmonics carry it on small speakers.
      return RenderTone(Voiced(pitch,
                               {{1, 0.6, 0.6}, {2, 1.0, 0.4}, {3, 0.5, 0.25}, {4, 0.3, 0.16}, {5, 0.15, 0.1},
                                {6, 0.08, 0.07}, {8, 0.03, 0.05}},
                               0.005, seconds, 0.05),
                        Rate);
    case Voice::Pad:
      // A soft chorus of two slightly detuned sets of harmonics that swells in and out.
      return RenderTone(Voiced(pitch,
                               {{1, 1.0, 1e6}, {1.004, 0.7, 1e6}, {2, 0.35, 1e6}, {2.006, 0.25, 1e6}, {3, 0.15, 1e6},
                                {4, 0.1, 1e6}, {5, 0.05, 1e6}, {6, 0.03, 1e6}},
                               0.35, seconds, 0.6),
                        Rate);
    case Voice::Kick: {
      // A tight kick: a sine that drops an octave onto E2 within a few milliseconds, and a click.
      std::vector<float> kick =
          RenderTone(Voiced(40, {{1.0, 1.0, 0.11}, {2.0, 0.12, 0.035}}, 0.001, 0.22, 0.05, -1.0, 0.02), Rate);
      MixInto(kick, NoiseHit(rng, {4000.0, 0.8, 0.003, 0.02}), 0, 0.25);
      return kick;
    }
    case Voice::Clap:
      return NoiseHit(rng, {1700.0, 0.9, 0.09, 0.3, 3});
    case Voice::HiHat:
      return NoiseHit(rng, {8500.0, 0.8, seconds / 5.0, seconds});
    case Voice::Shaker:
      return NoiseHit(rng, {6500.0, 0.9, 0.028, 0.16, 1, 0.004});
    case Voice::Bubble: {
      // A small air bubble, as in the effects: an almost pure tone whose pitch rises.
      Tone tone = Voiced(pitch, {{1.0, 1.0, 0.03}, {2.0, 0.06, 0.015}}, 0.002, 0.12, 0.06, 0.12);
      tone.Sweep = 5.0;
      return RenderTone(tone, Rate);
    }
  }
  return {};
}

MusicRoom::MusicRoom(double echoSeconds) : Room(Rate, 0.72, 0.5, 0.9), Echo(Rate, echoSeconds, 0.36, 0.35) {}

void MusicRoom::Process(double dryLeft, double dryRight, double reverbLeft, double reverbRight, double echo,
                        double& outLeft, double& outRight) {
  double echoLeft = 0.0, echoRight = 0.0;
  Echo.Process(echo, echoLeft, echoRight);
  double wetLeft = 0.0, wetRight = 0.0;
  // The echoes sound in the same room as everything else.
  Room.Process(reverbLeft + 0.3 * echoLeft, reverbRight + 0.3 * echoRight, wetLeft, wetRight);
  outLeft = dryLeft + echoLeft + wetLeft;
  outRight = dryRight + echoRight + wetRight;
}

void WrapLoop(StereoAudio& audio, std::size_t loopFrames) {
  for (std::size_t i = loopFrames; i < audio.Frames(); ++i) {
    audio.Left[i % loopFrames] += audio.Left[i];
    audio.Right[i % loopFrames] += audio.Right[i];
  }
  audio.Left.resize(loopFrames);
  audio.Right.resize(loopFrames);
}

StereoAudio RenderMusic(const Score& score) {
  const double secondsPerBeat = score.SecondsPerBeat();
  const auto loopFrames = static_cast<std::size_t>(std::lround(score.LoopBeats() * secondsPerBeat * Rate));
  Buses buses(loopFrames);
  Rng rng(99);
  for (const Note& note : score.Notes) {
    const Sends mix = MixOf(note.Instrument);
    buses.Add(RenderNote(note, secondsPerBeat, rng), note.Start * secondsPerBeat, mix.Gain * note.Velocity, note.Pan,
              mix);
  }
  buses.Extend(buses.Frames() + static_cast<std::size_t>(MusicRoom::TailSeconds * Rate));

  StereoAudio audio;
  audio.Left.resize(buses.Frames());
  audio.Right.resize(buses.Frames());
  MusicRoom room(0.75 * secondsPerBeat);
  for (std::size_t i = 0; i < buses.Frames(); ++i) {
    double left = 0.0, right = 0.0;
    room.Process(buses.DryLeft[i], buses.DryRight[i], buses.ReverbLeft[i], buses.ReverbRight[i], buses.Echo[i], left,
                 right);
    audio.Left[i] = static_cast<float>(left);
    audio.Right[i] = static_cast<float>(right);
  }
  WrapLoop(audio, loopFrames);

  double sum = 0.0, peak = 0.0;
  for (std::size_t i = 0; i < loopFrames; ++i) {
    sum += static_cast<double>(audio.Left[i]) * audio.Left[i] + static_cast<double>(audio.Right[i]) * audio.Right[i];
    peak = std::max({peak, std::fabs(static_cast<double>(audio.Left[i])),
                     std::fabs(static_cast<double>(audio.Right[i]))});
  }
  const double rms = std::sqrt(sum / (2.0 * static_cast<double>(loopFrames)));
  double gain = rms > 0.0 ? TargetRms / rms : 1.0;
  if (peak * gain > PeakCeiling) gain = PeakCeiling / peak;
  for (std::size_t i = 0; i < loopFrames; ++i) {
    audio.Left[i] = static_cast<float>(audio.Left[i] * gain);
    audio.Right[i] = static_cast<float>(audio.Right[i] * gain);
  }
  return audio;
}

std::vector<uint8_t> MakeMusicFile() {
  const StereoAudio audio = RenderMusic(ComposeScore());
  return EncodeOggVorbis(audio.Left, audio.Right, MusicRate, MusicQuality, MusicStreamSerial,
                         {{"TITLE", "Huebloc"}, {"ARTIST", "Huebloc"}, {"COMMENT", "Loops seamlessly"}});
}

}  // namespace sounds
