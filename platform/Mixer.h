// The software mixer behind the sound device: voices (one per sound buffer) summed into the
// output at the output's rate and channel count. It has no device of its own, so it can be
// driven frame by frame: the audio callback calls Mix, and so can tests and benchmarks.
//
// Threads: Mix runs on the audio thread; play, stop and volume requests come from the game's
// threads and touch only atomics; attaching, detaching and replacing a voice's samples take
// the mixing lock for a moment.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// Layout of PCM samples: 8-bit unsigned or 16-bit signed little-endian, interleaved.
struct PcmFormat {
  uint16_t Channels = 1;
  uint32_t SamplesPerSec = 22050;
  uint16_t BitsPerSample = 16;

  uint32_t BlockAlign() const { return static_cast<uint32_t>(Channels) * (BitsPerSample / 8u); }
  uint32_t AvgBytesPerSec() const { return BlockAlign() * SamplesPerSec; }
  bool Valid() const;
};

// Volume in hundredths of a decibel, -10000 (silence) to 0 (unchanged).
constexpr int32_t VolumeMin = -10000;
constexpr int32_t VolumeMax = 0;
// Linear gain of a volume: 10^(volume / 2000), exactly 0 at VolumeMin and below.
float VolumeToGain(int32_t volume);

// Converts whole PCM frames to interleaved 16-bit frames at the given rate and channel count
// with SDL's converters. Returns false when the formats cannot be converted.
bool ConvertPcm(const PcmFormat& format, const uint8_t* data, size_t bytes, uint32_t rate,
                uint16_t channels, std::vector<int16_t>& out);

class Mixer;

// Play state and volume of one sound buffer. The state word packs the position, a generation
// bumped by every request that moves the position, and the playing and looping flags, so the
// mixing thread can publish its progress without overwriting a request made meanwhile.
class MixerVoice {
 public:
  virtual ~MixerVoice() = default;
  MixerVoice(const MixerVoice&) = delete;
  MixerVoice& operator=(const MixerVoice&) = delete;

  // Starts the voice, or only updates its looping flag when it is already sounding.
  void Play(bool looping);
  virtual void Stop() = 0;
  bool IsPlaying() const;
  void SetVolume(int32_t volume);
  int32_t Volume() const { return VolumeValue.load(std::memory_order_relaxed); }

  // Audio thread: adds `frames` frames of this voice, scaled by its volume, to `out`.
  virtual void MixInto(float* out, uint32_t frames) = 0;

 protected:
  explicit MixerVoice(uint16_t outChannels) : OutChannels(outChannels) {}

  static constexpr uint64_t PositionMask = 0xFFFFFFFFull;
  static constexpr unsigned GenerationShift = 32;
  static constexpr uint64_t GenerationMask = 0xFFFFull << GenerationShift;
  static constexpr uint64_t PlayingBit = 1ull << 48;
  static constexpr uint64_t LoopingBit = 1ull << 49;
  static uint32_t PositionOf(uint64_t s) { return static_cast<uint32_t>(s & PositionMask); }
  static uint64_t WithPosition(uint64_t s, uint32_t pos) { return (s & ~PositionMask) | pos; }
  static uint64_t NextGeneration(uint64_t s) {
    return (s & ~GenerationMask) | ((s + (1ull << GenerationShift)) & GenerationMask);
  }

  // Audio thread: publishes the position reached by a block that started from state `seen`;
  // `ended` says the voice ran out of data without looping, which stops it at position 0.
  // A request that moved the position during the block wins over the block's progress.
  void Commit(uint64_t seen, uint32_t position, bool ended);
  // Audio thread: adds `frames` frames of `src` with the gain ramping towards the volume.
  void AddScaled(float* out, const float* src, uint32_t frames);
  void AddScaled(float* out, const int16_t* src, uint32_t frames);
  // Audio thread: call at the start of a block; false when the voice is silent.
  bool BeginBlock(uint64_t& state);

  const uint16_t OutChannels;
  std::atomic<uint64_t> State{0};

 private:
  std::atomic<int32_t> VolumeValue{VolumeMax};
  std::atomic<float> TargetGain{1.0f};
  // Set by a request that starts a silent voice, which then takes its volume at once.
  std::atomic<bool> Started{false};
  template <typename Sample>
  void AddScaledFrom(float* out, const Sample* src, uint32_t frames, float unit);
  // Audio thread only.
  float AppliedGain = 1.0f;
  bool WasSounding = false;
};

// A buffer whose whole sound is converted to the output's rate and channels in advance: the
// effects. Their samples stay 16-bit, as the game's waves are, which halves their memory
// against float samples. Its position counts output frames.
class StaticVoice final : public MixerVoice {
 public:
  explicit StaticVoice(uint16_t outChannels) : MixerVoice(outChannels) {}
  // A stopped effect starts from its beginning at the next request.
  void Stop() override;
  uint32_t PositionFrames() const { return PositionOf(State.load(std::memory_order_acquire)); }
  // Mixing lock held: the converted sound, swapped in by the Mixer.
  uint32_t Frames() const { return FrameCount; }
  void MixInto(float* out, uint32_t frames) override;

 private:
  friend class Mixer;
  std::vector<int16_t> Samples;
  uint32_t FrameCount = 0;
};

// A ring in its own PCM format that plays in a cycle while someone keeps writing into it: the
// music. It is converted as the mixer consumes it; its position is the byte offset up to which
// the ring has been consumed.
class StreamVoice final : public MixerVoice {
 public:
  // Returns null when SDL cannot convert between the formats.
  static std::unique_ptr<StreamVoice> Create(const PcmFormat& format, uint32_t bytes,
                                             uint32_t outRate, uint16_t outChannels);
  ~StreamVoice() override;
  // Stopping keeps the position: the next Play goes on from there.
  void Stop() override;
  uint32_t CursorBytes() const;
  // Most bytes the mixer may be reading past the cursor at any moment.
  uint32_t ReadAheadBytes() const { return FeedTries * MaxFeedFrames * Format.BlockAlign(); }
  uint8_t* Ring() { return reinterpret_cast<uint8_t*>(RingData.data()); }
  uint32_t RingBytes() const { return RingSize; }
  // Writers call this after filling part of the ring, so the mixer sees the new bytes.
  void Publish() { Writes.fetch_add(1, std::memory_order_release); }
  void MixInto(float* out, uint32_t frames) override;

 private:
  struct Converter;
  static constexpr uint32_t FeedTries = 3;
  StreamVoice(const PcmFormat& format, uint32_t bytes, uint32_t outRate, uint16_t outChannels);
  // Audio thread: feeds up to `frames` source frames from the ring, from `pos` onwards.
  void Feed(uint32_t frames, uint32_t& pos, bool looping, bool& atEnd);
  // Audio thread: mixes a ring that needs no converter.
  void MixStraight(float* out, uint32_t frames, uint32_t pos, bool looping, uint64_t state);

  const PcmFormat Format;
  const uint32_t OutRate;
  // Source frames are fed in multiples of Quantum, which the resampler turns into a whole
  // number of output frames, so consecutive feeds join without a seam.
  uint32_t Quantum = 1;
  uint32_t MinFeedFrames = 1;
  uint32_t MaxFeedFrames = 1;
  // Held as 16-bit samples, so a ring of those can be read as such; written as bytes.
  std::vector<int16_t> RingData;
  uint32_t RingSize = 0;
  std::vector<uint8_t> FeedBuffer;
  std::vector<float> Scratch;
  std::vector<int16_t> Wrapped;  // a block across the ring's end, without a converter
  std::unique_ptr<Converter> Convert;  // null where the ring needs no converter
  std::atomic<uint32_t> Writes{0};
};

class Mixer {
 public:
  // Largest block mixed in one go; longer requests are mixed block by block. A whole
  // callback of the device's preferred size is one block.
  static constexpr uint32_t MaxBlockFrames = 2048;

  Mixer(uint32_t rate, uint16_t channels);
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  uint32_t Rate() const { return OutRate; }
  uint16_t Channels() const { return OutChannels; }

  void Attach(std::shared_ptr<MixerVoice> voice);
  void Detach(const MixerVoice* voice);
  // Swaps new converted samples into an effect; `samples` receives the old ones, to be freed
  // by the caller outside the mixing lock.
  void ReplaceSamples(StaticVoice& voice, std::vector<int16_t>& samples);

  // Fills exactly `frames` interleaved frames, silence where nothing plays, clipped to range.
  void Mix(float* out, size_t frames);
  void Mix(int16_t* out, size_t frames);
  // Output frames produced so far, for progress checks.
  uint64_t FramesMixed() const { return MixedFrames.load(std::memory_order_relaxed); }

 private:
  // Mixing lock held: sums every voice into `sum` for one block.
  void MixBlock(float* sum, uint32_t frames);
  template <typename Sample, typename Convert>
  void MixOut(Sample* out, size_t frames, Convert convert);

  const uint32_t OutRate;
  const uint16_t OutChannels;
  std::mutex Lock;
  std::vector<std::shared_ptr<MixerVoice>> Voices;
  std::vector<float> Scratch;
  std::atomic<uint64_t> MixedFrames{0};
};

}  // namespace platform
