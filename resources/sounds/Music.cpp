#include "Music.h"

#include <algorithm>
#include <cmath>

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
    case Voice::Pad: return {0.055, 0.35, 0.0};
    case Voice::Bass: return {0.22, 0.06, 0.0};
    case Voice::Lead: return {0.24, 0.35, 0.28};
    case Voice::Harmony: return {0.13, 0.40, 0.18};
    case Voice::Arpeggio: return {0.09, 0.55, 0.25};
    case Voice::Kick: return {0.30, 0.03, 0.0};
    case Voice::Shaker: return {0.30, 0.20, 0.0};
    case Voice::Bubble: return {0.11, 0.50, 0.40};
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

// A warm pad note: three slightly detuned voices spread across the stereo field, each with
// a slow swell of its own.
void PlayPad(Buses& buses, const Note& note, double seconds, double length, Rng& rng) {
  static constexpr std::array<double, 3> Cents = {-7.0, 0.0, 7.0};
  for (std::size_t v = 0; v < Cents.size(); ++v) {
    Tone tone;
    tone.Frequency = NoteFrequency(note.Pitch + Cents[v] / 100.0);
    tone.Partials = {{1.0, 1.0, 1e6}, {2.0, 0.22, 1e6}, {3.0, 0.07, 1e6}, {4.0, 0.025, 1e6}};
    tone.Attack = 1.3;
    tone.Hold = length;
    tone.Release = 2.2;
    tone.TremoloRate = rng.Range(0.12, 0.25);
    tone.TremoloDepth = 0.3;
    tone.Phase = rng.Uniform();
    const double pan = std::clamp(note.Pan + (static_cast<double>(v) - 1.0) * 0.6, -1.0, 1.0);
    const Sends mix = MixOf(Voice::Pad);
    buses.Add(RenderTone(tone, Rate), seconds, mix.Gain * note.Velocity, pan, mix);
  }
}

Tone BassTone(const Note& note, double length) {
  Tone tone;
  tone.Frequency = NoteFrequency(note.Pitch);
  tone.Partials = {{1.0, 1.0, 2.2}, {2.0, 0.35, 0.9}, {3.0, 0.12, 0.45}, {4.0, 0.04, 0.25}};
  tone.Attack = 0.02;
  tone.Hold = length;
  tone.Release = 0.35;
  return tone;
}

// A vibraphone-like bar: a long fundamental, the bar's fourth-harmonic overtone, a gentle
// tremolo, and a little ring after the note is let go.
Tone MalletTone(const Note& note, double length) {
  Tone tone;
  tone.Frequency = NoteFrequency(note.Pitch);
  tone.Partials = {{1.0, 1.0, 1.6}, {2.0, 0.05, 0.8}, {4.0, 0.2, 0.22}, {9.9, 0.03, 0.05}};
  tone.Attack = 0.003;
  tone.Scoop = 0.015;
  tone.ScoopTime = 0.006;
  tone.TremoloRate = 4.8;
  tone.TremoloDepth = 0.12;
  tone.Hold = length + 0.7;
  tone.Release = 0.6;
  return tone;
}

Tone GlassTone(const Note& note) {
  Tone tone;
  tone.Frequency = NoteFrequency(note.Pitch);
  tone.Partials = {{1.0, 1.0, 0.45}, {2.76, 0.12, 0.12}, {5.4, 0.04, 0.05}};
  tone.Attack = 0.002;
  tone.Scoop = 0.03;
  tone.ScoopTime = 0.006;
  tone.Hold = 1.3;
  tone.Release = 0.4;
  return tone;
}

// A soft, low heartbeat rather than a drum: a sine that drops an octave as it fades.
Tone KickTone(const Note& note) {
  Tone tone;
  tone.Frequency = NoteFrequency(note.Pitch);
  tone.Partials = {{1.0, 1.0, 0.16}, {2.0, 0.12, 0.05}};
  tone.Attack = 0.004;
  tone.Scoop = -1.0;
  tone.ScoopTime = 0.03;
  tone.Hold = 0.4;
  tone.Release = 0.1;
  return tone;
}

Tone BubbleTone(const Note& note) {
  Tone tone;
  tone.Frequency = NoteFrequency(note.Pitch);
  tone.Partials = {{1.0, 1.0, 0.03}, {2.0, 0.06, 0.015}};
  tone.Attack = 0.002;
  tone.Scoop = 0.12;
  tone.ScoopTime = 0.006;
  tone.Sweep = 5.0;
  tone.Hold = 0.12;
  tone.Release = 0.06;
  return tone;
}

// A shaker: band-passed noise with a quick fall.
std::vector<float> ShakerHit(Rng& rng) {
  const auto frames = static_cast<std::size_t>(0.16 * Rate);
  std::vector<float> out(frames);
  BandPass band(6500.0, 0.9, Rate);
  const double fall = std::exp(-1.0 / (0.028 * Rate));
  const auto attack = static_cast<std::size_t>(0.004 * Rate);
  double level = 1.0;
  for (std::size_t i = 0; i < frames; ++i) {
    double envelope = level;
    if (i < attack) envelope *= 0.5 - 0.5 * std::cos(Pi * static_cast<double>(i) / static_cast<double>(attack));
    if (i + 1 == frames) envelope = 0.0;
    out[i] = static_cast<float>(band.Process(rng.Noise()) * envelope);
    level *= fall;
  }
  return out;
}

void Play(Buses& buses, const Note& note, double secondsPerBeat, Rng& rng) {
  const double at = note.Start * secondsPerBeat;
  const double length = note.Length * secondsPerBeat;
  const Sends mix = MixOf(note.Instrument);
  const double gain = mix.Gain * note.Velocity;
  switch (note.Instrument) {
    case Voice::Pad:
      PlayPad(buses, note, at, length, rng);
      return;
    case Voice::Bass:
      buses.Add(RenderTone(BassTone(note, length), Rate), at, gain, note.Pan, mix);
      return;
    case Voice::Lead:
    case Voice::Harmony:
      buses.Add(RenderTone(MalletTone(note, length), Rate), at, gain, note.Pan, mix);
      return;
    case Voice::Arpeggio:
      buses.Add(RenderTone(GlassTone(note), Rate), at, gain, note.Pan, mix);
      return;
    case Voice::Kick:
      buses.Add(RenderTone(KickTone(note), Rate), at, gain, note.Pan, mix);
      return;
    case Voice::Shaker:
      buses.Add(ShakerHit(rng), at, gain, note.Pan, mix);
      return;
    case Voice::Bubble:
      buses.Add(RenderTone(BubbleTone(note), Rate), at, gain, note.Pan, mix);
      return;
  }
}

}  // namespace

MusicRoom::MusicRoom() : Room(Rate, 0.72, 0.5, 0.9), Echo(Rate, 0.5625, 0.36, 0.35) {}

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
  for (const Note& note : score.Notes) Play(buses, note, secondsPerBeat, rng);
  buses.Extend(buses.Frames() + static_cast<std::size_t>(MusicRoom::TailSeconds * Rate));

  StereoAudio audio;
  audio.Left.resize(buses.Frames());
  audio.Right.resize(buses.Frames());
  MusicRoom room;
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
    peak = std::max({peak, std::fabs(static_cast<double>(audio.Left[i])), std::fabs(static_cast<double>(audio.Right[i]))});
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
