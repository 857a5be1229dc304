#include "audio/Sound.h"

#include <algorithm>

#include "platform/Resources.h"

namespace {

constexpr int LevelMax = 10;
constexpr int32_t DecibelsPerLevel = 300;
constexpr uint16_t WaveFormatPcm = 1;

// The wave file is read at the canonical positions: the format chunk's size at 16, the
// format block at 20, the data chunk's header after the format block (padded to even).
constexpr std::size_t FormatSizeAt = 16;
constexpr std::size_t FormatAt = 20;
constexpr std::size_t PcmFormatBytes = 16;  // tag, channels, rate, bytes/s, block align, bits
constexpr std::size_t ChunkHeaderBytes = 8;

uint16_t Read16(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::unique_ptr<platform::SoundBuffer> BufferFromWave(platform::SoundDevice& sound,
                                                      std::span<const uint8_t> wave) {
  // Every size is checked against the end before it is used; the sums are 64-bit, so a huge
  // size cannot wrap them.
  if (wave.size() < FormatAt) return nullptr;
  const uint64_t formatBytes = Read32(wave, FormatSizeAt);
  if (formatBytes < PcmFormatBytes || FormatAt + formatBytes > wave.size()) return nullptr;
  const uint64_t dataHeader = FormatAt + formatBytes + (formatBytes & 1);
  if (dataHeader + ChunkHeaderBytes > wave.size()) return nullptr;
  // The data chunk's identifier is not compared: only its size is read.
  const uint32_t dataBytes = Read32(wave, static_cast<std::size_t>(dataHeader) + 4);
  const uint64_t samplesAt = dataHeader + ChunkHeaderBytes;
  if (dataBytes > wave.size() - samplesAt) return nullptr;
  if (Read16(wave, FormatAt) != WaveFormatPcm) return nullptr;

  platform::PcmFormat format;
  format.Channels = Read16(wave, FormatAt + 2);
  format.SamplesPerSec = Read32(wave, FormatAt + 4);
  format.BitsPerSample = Read16(wave, FormatAt + 14);
  // A format or size the sound layer refuses leaves the buffer null.
  return sound.CreateSoundBuffer(format, wave.subspan(static_cast<std::size_t>(samplesAt), dataBytes));
}

}  // namespace

int32_t LevelVolume(int level) { return DecibelsPerLevel * (std::min(level, LevelMax) - LevelMax); }

TSound::TSound(platform::SoundDevice& sound, std::string_view resource) {
  if (const auto wave = platform::FindResource(resource)) {
    Buffer = BufferFromWave(sound, *wave);
    platform::ReleaseResourcePages();  // the buffer holds its own copy
  }
}

TSound::TSound(platform::SoundDevice& sound, std::span<const uint8_t> wave)
    : Buffer(BufferFromWave(sound, wave)) {}

void TSound::Play(int level, uint32_t flags) {
  if (level <= 0) {
    Stop();
    return;
  }
  if (!Buffer) return;
  Buffer->SetVolume(LevelVolume(level));
  Buffer->Play(flags);
}

void TSound::Stop() {
  if (Buffer) Buffer->Stop();
}
