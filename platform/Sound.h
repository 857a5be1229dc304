// The game's sound service: one output device and its sound buffers. Effects are static
// buffers converted once to the output format; the music is a streaming buffer that plays in
// an endless cycle while its owner keeps writing ahead of the play cursor.
//
// Every call returns 0 on success or one of the SoundErr codes below. Positions and sizes of a
// buffer are bytes in the buffer's own PCM format. Volumes are hundredths of a decibel.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Mixer.h"

namespace platform {

constexpr int SoundOk = 0;
constexpr int SoundErrNoDevice = 1;      // no audio output could be opened
constexpr int SoundErrInvalidParam = 2;  // an offset, size, volume, flag or pointer out of range
constexpr int SoundErrBadFormat = 3;     // a PCM layout the converters do not take
constexpr int SoundErrOutOfMemory = 4;

// Play flag: cycle through the buffer until stopped.
constexpr uint32_t SoundPlayLooping = 1;
// Largest buffer, in bytes.
constexpr uint32_t SoundBufferMaxBytes = 0x0FFFFFFF;

enum class SoundBufferKind : uint8_t {
  Static,  // the whole sound, converted once to the output's format before it is first heard
  Stream,  // a ring converted as it plays, for data written while it plays
};

struct SoundBufferDesc {
  SoundBufferKind Kind = SoundBufferKind::Static;
  uint32_t Bytes = 0;
  PcmFormat Format;
  // Optional initial contents, Bytes of them; without them the buffer starts silent.
  const void* Data = nullptr;
};

class SoundBuffer {
 public:
  ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // Hands out `bytes` bytes from `offset` as one region, or two when the range wraps past the
  // end (the second then starts at offset 0). part2/bytes2 may be null for a range that fits.
  int Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
           uint32_t* bytes2);
  // Gives the regions back. A streaming buffer's new bytes become visible to the mixer here; a
  // static buffer's new sound is converted at its next Play.
  int Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
  // VolumeMin (-10000, silent) to VolumeMax (0).
  int SetVolume(int32_t volume);
  int GetVolume(int32_t* volume) const;
  // 0 plays once, SoundPlayLooping cycles. A buffer already sounding is neither restarted nor
  // doubled; only its looping changes.
  int Play(uint32_t flags);
  // A stopped static buffer plays from its start next time; a streaming one goes on from
  // where it stopped.
  int Stop();
  // `play` is the byte offset of the play cursor; writing at or after `write` (up to the play
  // cursor, around the ring) never touches bytes the mixer may still read. Either may be null.
  int GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  bool IsPlaying() const;

  uint32_t Bytes() const { return Size; }
  const PcmFormat& Format() const { return Pcm; }
  SoundBufferKind Kind() const { return Type; }

 private:
  friend class SoundDevice;
  SoundBuffer(std::shared_ptr<Mixer> mixer, const SoundBufferDesc& desc);
  uint8_t* Data();
  bool Holds(const void* part, uint32_t bytes);
  int Convert();

  std::shared_ptr<Mixer> Owner;
  const SoundBufferKind Type;
  const PcmFormat Pcm;
  const uint32_t Size;
  std::shared_ptr<StaticVoice> Effect;  // Static
  std::shared_ptr<StreamVoice> Stream;  // Stream
  std::vector<uint8_t> Source;          // Static: the sound in its own format
  bool Unconverted = false;             // Static: written since it was last converted
};

class SoundDevice {
 public:
  // Opens the default audio output. On failure `device` is null and the result says why.
  static int Create(std::unique_ptr<SoundDevice>& device);
  // A device without output whose mixer its owner drives (Mixer::Mix), for rendering sound
  // without audio hardware.
  static int CreateOffline(uint32_t rate, uint16_t channels, std::unique_ptr<SoundDevice>& device);
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Nothing to negotiate with other programs: the desktop's sound server shares the output.
  int SetCooperativeLevel() { return SoundOk; }
  // On failure `buffer` is null.
  int CreateSoundBuffer(const SoundBufferDesc& desc, std::unique_ptr<SoundBuffer>& buffer);

  Mixer& GetMixer() { return *Output; }
  uint32_t Rate() const { return Output->Rate(); }
  uint16_t Channels() const { return Output->Channels(); }
  bool HasOutput() const { return DeviceId != 0; }

 private:
  SoundDevice() = default;
  static void Render(void* self, uint8_t* stream, int bytes);

  std::shared_ptr<Mixer> Output;  // shared with the buffers, which may outlive the device
  uint32_t DeviceId = 0;
};

}  // namespace platform
