// The software mixer behind the sound device. Everything it plays is already in the game's own
// format, 44100 Hz stereo 16-bit, in which the device is opened, so it only applies gains, sums
// and clamps. It has no device of its own: the audio callback calls Mix, and so can tests and
// benchmarks.
//
// Threads: Mix runs on the audio thread and holds the mixer's lock for one block at a time;
// every request holds it for a few instructions. Nothing in Mix allocates.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

constexpr uint32_t MixRate = 44100;
constexpr uint16_t MixChannels = 2;

// Volume in hundredths of a decibel, -10000 (silence) to 0 (unchanged).
constexpr int32_t VolumeMin = -10000;
constexpr int32_t VolumeMax = 0;
// Linear gain of a volume: 10^(volume / 2000), exactly 0 at VolumeMin and below.
float VolumeToGain(int32_t volume);

// One sound buffer as the mixer plays it. Its frames never move once attached; the play
// state is the mixer's, read and changed only through it.
struct MixerVoice {
  explicit MixerVoice(std::vector<int16_t> samples) : Samples(std::move(samples)) {}
  uint32_t Frames() const { return static_cast<uint32_t>(Samples.size() / MixChannels); }

  std::vector<int16_t> Samples;  // interleaved frames in the mixer's format, at least one
  uint32_t Position = 0;         // the next frame to play
  bool Playing = false;
  bool Looping = false;
  int32_t Volume = VolumeMax;
  float Gain = 1.0f;     // what the volume asks for
  float Applied = 1.0f;  // where the gain ramp is
};

class Mixer {
 public:
  // Longest stretch mixed under one hold of the lock; longer requests go block by block.
  static constexpr uint32_t MaxBlockFrames = 2048;
  // A gain change, the focus edges included, moves over 2 ms so that it does not click. Short,
  // so that after one callback and the ramp the output is silent within 50 ms of the focus going.
  static constexpr uint32_t RampFrames = MixRate / 500;

  Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  void Attach(MixerVoice& voice);
  void Detach(MixerVoice& voice);

  // Starts a voice from its position; one already playing is neither restarted nor doubled,
  // only its looping changes. A voice that starts takes its volume at once, one that plays on
  // ramps to a new one.
  void Play(MixerVoice& voice, bool looping);
  // `rewind` sends the voice back to its first frame for the next Play.
  void Stop(MixerVoice& voice, bool rewind);
  void SetVolume(MixerVoice& voice, int32_t volume);
  int32_t Volume(const MixerVoice& voice) const;
  bool IsPlaying(const MixerVoice& voice) const;
  uint32_t Position(const MixerVoice& voice) const;
  // Frames written into a voice before this call are heard from the next block on.
  void Publish();

  // Silence while the game's window does not have the focus: every voice plays on unheard,
  // and the output ramps down and back up so that neither edge clicks.
  void SetAudible(bool audible);

  // Fills exactly `frames` interleaved frames: silence where nothing plays, clamped to range.
  void Mix(int16_t* out, size_t frames);
  // Output frames produced so far, for progress checks.
  uint64_t FramesMixed() const { return MixedFrames.load(std::memory_order_relaxed); }

 private:
  // Lock held: one block of every voice into `out`.
  void MixBlock(int16_t* out, uint32_t frames);

  mutable std::mutex Lock;
  std::vector<MixerVoice*> Voices;
  std::vector<float> Sum;
  float Audible = 1.0f;
  float AudibleApplied = 1.0f;
  std::atomic<uint64_t> MixedFrames{0};
};

}  // namespace platform
