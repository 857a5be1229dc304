// The game's sound service: one output device in the game's own format (SDL converts to what the
// hardware takes), static buffers for the effects, a looping ring for the music, and the mixer
// behind them, which only applies gains, sums and clamps. Volumes are hundredths of a decibel.
//
// Threads: Mix runs on the audio thread and holds the mixer's lock for one block at a time; every
// request holds it for a few instructions. Nothing in Mix allocates.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace platform {

constexpr int SoundOk = 0;
constexpr int SoundErrInvalidParam = 1;  // an offset, size, volume or flag out of range

// Play flag: cycle through the buffer until stopped.
constexpr uint32_t SoundPlayLooping = 1;
constexpr uint32_t SoundBufferMaxBytes = 0x0FFFFFFF;

constexpr int32_t VolumeMin = -10000;
constexpr int32_t VolumeMax = 0;
// Linear gain of a volume: 10^(volume / 2000), exactly 0 at VolumeMin and below.
float VolumeToGain(int32_t volume);

// Layout of PCM samples: 8-bit unsigned or 16-bit signed little-endian, interleaved.
struct PcmFormat {
  uint16_t Channels = 1;
  uint32_t SamplesPerSec = 22050;
  uint16_t BitsPerSample = 16;

  constexpr uint32_t BlockAlign() const { return static_cast<uint32_t>(Channels) * (BitsPerSample / 8u); }
  constexpr uint32_t AvgBytesPerSec() const { return BlockAlign() * SamplesPerSec; }
};

// The game's own format: the music's, the device's and the mixer's.
constexpr uint32_t MixRate = 44100;
constexpr uint16_t MixChannels = 2;
constexpr PcmFormat OutputFormat{MixChannels, MixRate, 16};

class SoundBuffer;

class Mixer {
 public:
  // One audio callback, the most mixed under one hold of the lock: about 46 ms, half the wake-ups
  // of 1024 frames, and still an effect starts or the focus silences within a callback and a ramp.
  static constexpr uint16_t MaxBlockFrames = 2048;
  // A gain change, the focus edges included, moves over 2 ms so that it does not click. Short,
  // so that after one callback and the ramp the output is silent within 50 ms of the focus going.
  static constexpr uint32_t RampFrames = MixRate / 500;

  Mixer() { Voices.reserve(16); }  // the effects and the music, without growing under the lock

  // Silence while the game's window does not have the focus (audible from the start): every
  // buffer plays on unheard, and the output ramps down and back up so that neither edge clicks.
  void SetAudible(bool audible);
  // Fills exactly `frames` interleaved frames: silence where nothing plays, clamped to range.
  void Mix(int16_t* out, size_t frames);
  // Output frames produced so far, for progress checks.
  uint64_t FramesMixed() const { return MixedFrames.load(std::memory_order_relaxed); }

 private:
  friend class SoundBuffer;
  friend class StreamBuffer;

  std::mutex Lock;
  std::vector<SoundBuffer*> Voices;
  std::vector<float> Sum = std::vector<float>(size_t{MaxBlockFrames} * MixChannels);
  float Audible = 1.0f;
  float AudibleApplied = 1.0f;
  std::atomic<uint64_t> MixedFrames{0};
};

// A static buffer: the whole sound, played once or looping.
class SoundBuffer {
 public:
  virtual ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  int SetVolume(int32_t volume);
  int32_t GetVolume() const;
  // 0 plays once, SoundPlayLooping cycles. A buffer already sounding is neither restarted nor
  // doubled; only its looping changes. One that starts takes its volume at once, one that plays
  // on ramps to a new one.
  int Play(uint32_t flags);
  // A stopped buffer plays from its start next time.
  void Stop();
  bool IsPlaying() const;

 protected:
  SoundBuffer(std::shared_ptr<Mixer> mixer, std::vector<int16_t> samples);

  std::shared_ptr<Mixer> Owner;  // shared, as a buffer may outlive its device
  std::vector<int16_t> Samples;  // interleaved frames in OutputFormat, at least one; they never move
  // The play state: read and changed only under the mixer's lock.
  uint32_t Position = 0;  // the next frame to play
  bool Playing = false;
  bool Looping = false;
  int32_t Volume = VolumeMax;
  float Applied = 1.0f;  // where the gain ramp is

 private:
  friend class Mixer;
  friend class SoundDevice;
};

// The streaming buffer: a ring of frames in OutputFormat, in the machine's own byte order.
class StreamBuffer final : public SoundBuffer {
 public:
  // Hands out `bytes` bytes from `offset` as one region, or two when the range wraps past the
  // end (the second then starts at offset 0; it is empty for a range that fits).
  int Lock(uint32_t offset, uint32_t bytes, std::span<uint8_t>& part1, std::span<uint8_t>& part2);
  // What was written since Lock is heard from the next mixing block on.
  void Unlock();
  // The byte offset of the play cursor: every byte before it in this cycle has been mixed,
  // and the mixer reads no further than one block past it.
  uint32_t GetCurrentPosition() const;
  uint32_t Bytes() const { return static_cast<uint32_t>(Samples.size() * sizeof(int16_t)); }

 private:
  friend class SoundDevice;
  using SoundBuffer::SoundBuffer;
};

class SoundDevice {
 public:
  // Opens the default audio output; null when none can be opened.
  static std::unique_ptr<SoundDevice> Create();
  // A device without output whose mixer its owner drives (Mixer::Mix), as without audio hardware.
  static std::unique_ptr<SoundDevice> CreateOffline();
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // An effect from whole frames of `samples` in `format`, converted to OutputFormat by SDL
  // here and never again; null for a layout SDL cannot convert, too few or too many bytes.
  std::unique_ptr<SoundBuffer> CreateSoundBuffer(const PcmFormat& format, std::span<const uint8_t> samples);
  // A silent ring of `bytes` bytes, whole frames of OutputFormat; null for another size.
  std::unique_ptr<StreamBuffer> CreateSoundBuffer(uint32_t bytes);

  Mixer& GetMixer() { return *Output; }

 private:
  SoundDevice() : Output(std::make_shared<Mixer>()) {}

  std::shared_ptr<Mixer> Output;
  uint32_t DeviceId = 0;
};

}  // namespace platform
