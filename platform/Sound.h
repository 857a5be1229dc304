// The game's sound service: one output device, opened in the game's own format so that SDL
// converts to whatever the hardware takes; static buffers for the effects, converted to that
// format once, when they are made; and a streaming buffer for the music, a ring in that format
// that plays in an endless cycle while its owner keeps writing ahead of the play cursor.
//
// Every call returns 0 on success or one of the SoundErr codes below. Volumes are hundredths of
// a decibel.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/Mixer.h"

namespace platform {

constexpr int SoundOk = 0;
constexpr int SoundErrNoDevice = 1;      // no audio output could be opened
constexpr int SoundErrInvalidParam = 2;  // an offset, size, volume, flag or pointer out of range
constexpr int SoundErrBadFormat = 3;     // a PCM layout SDL cannot convert
constexpr int SoundErrOutOfMemory = 4;

// Play flag: cycle through the buffer until stopped.
constexpr uint32_t SoundPlayLooping = 1;
// Largest buffer, in bytes.
constexpr uint32_t SoundBufferMaxBytes = 0x0FFFFFFF;

// Layout of PCM samples: 8-bit unsigned or 16-bit signed little-endian, interleaved.
struct PcmFormat {
  uint16_t Channels = 1;
  uint32_t SamplesPerSec = 22050;
  uint16_t BitsPerSample = 16;

  constexpr uint32_t BlockAlign() const { return static_cast<uint32_t>(Channels) * (BitsPerSample / 8u); }
  constexpr uint32_t AvgBytesPerSec() const { return BlockAlign() * SamplesPerSec; }
  bool Valid() const;
};

// The game's own format: the music's, the device's and the mixer's.
constexpr PcmFormat OutputFormat{MixChannels, MixRate, 16};

// A static buffer: the whole sound, played once or looping.
class SoundBuffer {
 public:
  virtual ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // VolumeMin (-10000, silent) to VolumeMax (0).
  int SetVolume(int32_t volume);
  int GetVolume(int32_t* volume) const;
  // 0 plays once, SoundPlayLooping cycles. A buffer already sounding is neither restarted nor
  // doubled; only its looping changes.
  int Play(uint32_t flags);
  // A stopped static buffer plays from its start next time; a streaming one goes on from
  // where it stopped.
  int Stop();
  bool IsPlaying() const;

 protected:
  SoundBuffer(std::shared_ptr<Mixer> mixer, std::vector<int16_t> samples, bool rewindOnStop);

  std::shared_ptr<Mixer> Owner;  // shared, as a buffer may outlive its device
  MixerVoice Voice;

 private:
  friend class SoundDevice;
  const bool RewindOnStop;
};

// The streaming buffer: a ring of frames at OutputFormat's rate and channels, 16-bit samples in
// the machine's own byte order.
class StreamBuffer final : public SoundBuffer {
 public:
  // Hands out `bytes` bytes from `offset` as one region, or two when the range wraps past the
  // end (the second then starts at offset 0). part2/bytes2 may be null for a range that fits.
  int Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2);
  // Gives the regions back; what was written is heard from the next mixing block on.
  int Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
  // The byte offset of the play cursor: every byte before it in this cycle has been mixed,
  // and the mixer reads no further than one block past it.
  int GetCurrentPosition(uint32_t* play) const;
  uint32_t Bytes() const { return static_cast<uint32_t>(Voice.Samples.size() * sizeof(int16_t)); }

 private:
  friend class SoundDevice;
  using SoundBuffer::SoundBuffer;
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(Voice.Samples.data()); }
  bool Holds(const void* part, uint32_t bytes);
};

class SoundDevice {
 public:
  // Opens the default audio output. On failure `device` is null and the result says why.
  static int Create(std::unique_ptr<SoundDevice>& device);
  // A device without output whose mixer its owner drives (Mixer::Mix), for rendering sound
  // without audio hardware.
  static std::unique_ptr<SoundDevice> CreateOffline();
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // An effect from whole frames of `samples` in `format`, converted to OutputFormat by SDL
  // here and never again. On failure `buffer` is null.
  int CreateSoundBuffer(const PcmFormat& format, std::span<const uint8_t> samples,
                        std::unique_ptr<SoundBuffer>& buffer);
  // A silent ring of `bytes` bytes, whole frames of OutputFormat.
  int CreateSoundBuffer(uint32_t bytes, std::unique_ptr<StreamBuffer>& buffer);

  // Off while the game's window does not have the focus; on from the start.
  void SetAudible(bool audible) { Output->SetAudible(audible); }
  Mixer& GetMixer() { return *Output; }
  bool HasOutput() const { return DeviceId != 0; }

 private:
  SoundDevice() : Output(std::make_shared<Mixer>()) {}
  static void Render(void* mixer, uint8_t* stream, int bytes);

  std::shared_ptr<Mixer> Output;
  uint32_t DeviceId = 0;
};

}  // namespace platform
