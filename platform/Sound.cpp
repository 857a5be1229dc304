#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace platform {

namespace {

// About 46 ms a callback: half the wake-ups of 1024 frames, and still an effect starts, and the
// output falls silent when the window loses the focus, within one callback and the gain ramp.
constexpr Uint16 CallbackFrames = 2048;

// Whole frames of `data` in OutputFormat, converted by SDL; empty when SDL cannot convert them.
std::vector<int16_t> ToOutputFormat(const PcmFormat& format, std::span<const uint8_t> data) {
  const size_t bytes = data.size() - data.size() % format.BlockAlign();
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, format.BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB, static_cast<Uint8>(format.Channels),
                        static_cast<int>(format.SamplesPerSec), AUDIO_S16SYS, MixChannels,
                        static_cast<int>(MixRate)) < 0 ||
      uint64_t{bytes} * static_cast<unsigned>(cvt.len_mult) > INT_MAX)
    return {};
  std::vector<uint8_t> work(bytes * static_cast<size_t>(cvt.len_mult));
  std::copy_n(data.begin(), bytes, work.begin());
  cvt.buf = work.data();
  cvt.len = static_cast<int>(bytes);
  if (SDL_ConvertAudio(&cvt) != 0) return {};
  std::vector<int16_t> samples(static_cast<size_t>(cvt.len_cvt) / OutputFormat.BlockAlign() * MixChannels);
  std::memcpy(samples.data(), work.data(), samples.size() * sizeof(int16_t));
  return samples;
}

}  // namespace

bool PcmFormat::Valid() const {
  return Channels >= 1 && Channels <= 8 && (BitsPerSample == 8 || BitsPerSample == 16) &&
         SamplesPerSec >= 1000 && SamplesPerSec <= 384000;
}

// --- SoundBuffer ---

SoundBuffer::SoundBuffer(std::shared_ptr<Mixer> mixer, std::vector<int16_t> samples, bool rewindOnStop)
    : Owner(std::move(mixer)), Voice(std::move(samples)), RewindOnStop(rewindOnStop) {
  Owner->Attach(Voice);
}

SoundBuffer::~SoundBuffer() { Owner->Detach(Voice); }

int SoundBuffer::SetVolume(int32_t volume) {
  if (volume < VolumeMin || volume > VolumeMax) return SoundErrInvalidParam;
  Owner->SetVolume(Voice, volume);
  return SoundOk;
}

int SoundBuffer::GetVolume(int32_t* volume) const {
  if (!volume) return SoundErrInvalidParam;
  *volume = Owner->Volume(Voice);
  return SoundOk;
}

int SoundBuffer::Play(uint32_t flags) {
  if ((flags & ~SoundPlayLooping) != 0) return SoundErrInvalidParam;
  Owner->Play(Voice, (flags & SoundPlayLooping) != 0);
  return SoundOk;
}

int SoundBuffer::Stop() {
  Owner->Stop(Voice, RewindOnStop);
  return SoundOk;
}

bool SoundBuffer::IsPlaying() const { return Owner->IsPlaying(Voice); }

// --- StreamBuffer ---

bool StreamBuffer::Holds(const void* part, uint32_t bytes) {
  const uint8_t* p = static_cast<const uint8_t*>(part);
  const uint8_t* base = Data();
  return p >= base && p <= base + Bytes() && bytes <= static_cast<uint32_t>(base + Bytes() - p);
}

int StreamBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                       uint32_t* bytes2) {
  const uint32_t size = Bytes();
  if (!part1 || !bytes1 || offset >= size || bytes == 0 || bytes > size) return SoundErrInvalidParam;
  const uint32_t first = std::min(bytes, size - offset);
  if (first < bytes && (!part2 || !bytes2)) return SoundErrInvalidParam;
  *part1 = Data() + offset;
  *bytes1 = first;
  if (part2) *part2 = first < bytes ? Data() : nullptr;
  if (bytes2) *bytes2 = bytes - first;
  return SoundOk;
}

int StreamBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
  if (!part1 || !Holds(part1, bytes1) || (part2 && !Holds(part2, bytes2))) return SoundErrInvalidParam;
  Owner->Publish();
  return SoundOk;
}

int StreamBuffer::GetCurrentPosition(uint32_t* play) const {
  if (!play) return SoundErrInvalidParam;
  *play = Owner->Position(Voice) * OutputFormat.BlockAlign();
  return SoundOk;
}

// --- SoundDevice ---

int SoundDevice::Create(std::unique_ptr<SoundDevice>& device) {
  device.reset();
  // Names the game in the desktop's volume mixer, unless the user or the program chose one.
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Huebloc", SDL_HINT_DEFAULT);
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SoundErrNoDevice;

  std::unique_ptr<SoundDevice> opened(new SoundDevice());
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(MixRate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = MixChannels;
  wanted.samples = CallbackFrames;
  wanted.callback = &SoundDevice::Render;
  wanted.userdata = opened->Output.get();
  // No changes allowed: the callback always gets the game's own format, and SDL converts it
  // to whatever the hardware takes.
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return SoundErrNoDevice;
  }
  opened->DeviceId = id;
  SDL_PauseAudioDevice(id, 0);  // it opens paused
  device = std::move(opened);
  return SoundOk;
}

std::unique_ptr<SoundDevice> SoundDevice::CreateOffline() { return std::unique_ptr<SoundDevice>(new SoundDevice()); }

SoundDevice::~SoundDevice() {
  if (DeviceId != 0) {
    SDL_CloseAudioDevice(DeviceId);  // waits for the callback to return
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

void SoundDevice::Render(void* mixer, uint8_t* stream, int bytes) {
  static_cast<Mixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(stream),
                                  static_cast<size_t>(bytes) / OutputFormat.BlockAlign());
}

int SoundDevice::CreateSoundBuffer(const PcmFormat& format, std::span<const uint8_t> samples,
                                   std::unique_ptr<SoundBuffer>& buffer) {
  buffer.reset();
  if (!format.Valid()) return SoundErrBadFormat;
  if (samples.size() < format.BlockAlign() || samples.size() > SoundBufferMaxBytes) return SoundErrInvalidParam;
  try {
    std::vector<int16_t> converted = ToOutputFormat(format, samples);
    if (converted.empty()) return SoundErrBadFormat;
    buffer.reset(new SoundBuffer(Output, std::move(converted), true));
  } catch (const std::bad_alloc&) {
    return SoundErrOutOfMemory;
  }
  return SoundOk;
}

int SoundDevice::CreateSoundBuffer(uint32_t bytes, std::unique_ptr<StreamBuffer>& buffer) {
  buffer.reset();
  if (bytes == 0 || bytes > SoundBufferMaxBytes || bytes % OutputFormat.BlockAlign() != 0)
    return SoundErrInvalidParam;
  try {
    buffer.reset(new StreamBuffer(Output, std::vector<int16_t>(bytes / sizeof(int16_t)), false));
  } catch (const std::bad_alloc&) {
    return SoundErrOutOfMemory;
  }
  return SoundOk;
}

}  // namespace platform
