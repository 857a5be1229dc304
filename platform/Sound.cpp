#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace platform {

namespace {

float Toward(float from, float to) {
  constexpr float step = 1.0f / static_cast<float>(Mixer::RampFrames);
  return from < to ? std::min(from + step, to) : std::max(from - step, to);
}

// Calls apply(i, gain) for every sample i of `frames` frames: the gain ramps from `applied` to
// `target` frame by frame first, then holds.
template <typename Apply>
void WithGain(uint32_t frames, float& applied, float target, Apply apply) {
  const size_t count = size_t{frames} * MixChannels;
  size_t i = 0;
  for (; i < count && applied != target; i += MixChannels) {
    applied = Toward(applied, target);
    for (size_t c = 0; c < MixChannels; ++c) apply(i + c, applied);
  }
  for (const float gain = applied; i < count; ++i) apply(i, gain);
}

// Rounded to the nearest sample without a branch or a library call (lrint is one); clamped
// first, so the conversion cannot overflow.
int16_t Clamped(float v) {
  v = std::clamp(v, -32768.0f, 32767.0f);
  return static_cast<int16_t>(static_cast<int32_t>(v + std::copysign(0.5f, v)));
}

}  // namespace

float VolumeToGain(int32_t volume) {
  if (volume <= VolumeMin) return 0.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

void Mixer::SetAudible(bool audible) {
  std::lock_guard hold(Lock);
  Audible = audible ? 1.0f : 0.0f;
}

void Mixer::Mix(int16_t* out, size_t frames) {
  for (size_t done = 0; done < frames;) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(frames - done, MaxBlockFrames));
    std::lock_guard hold(Lock);
    std::fill_n(Sum.begin(), size_t{n} * MixChannels, 0.0f);
    for (SoundBuffer* voice : Voices) {
      const float target = VolumeToGain(voice->Volume);
      const auto total = static_cast<uint32_t>(voice->Samples.size() / MixChannels);
      for (uint32_t at = 0; voice->Playing && at < n;) {
        const uint32_t part = std::min(n - at, total - voice->Position);
        const int16_t* from = voice->Samples.data() + size_t{voice->Position} * MixChannels;
        float* sum = Sum.data() + size_t{at} * MixChannels;
        if (target != 0.0f || voice->Applied != 0.0f)  // a silenced voice plays on unmixed
          WithGain(part, voice->Applied, target, [&](size_t i, float gain) { sum[i] += from[i] * gain; });
        voice->Position += part;
        at += part;
        if (voice->Position == total) {
          voice->Position = 0;
          voice->Playing = voice->Looping;
        }
      }
    }
    int16_t* block = out + done * MixChannels;
    WithGain(n, AudibleApplied, Audible, [&](size_t i, float gain) { block[i] = Clamped(Sum[i] * gain); });
    done += n;
  }
  MixedFrames.fetch_add(frames, std::memory_order_relaxed);
}

SoundBuffer::SoundBuffer(std::shared_ptr<Mixer> mixer, std::vector<int16_t> samples)
    : Owner(std::move(mixer)), Samples(std::move(samples)) {
  std::lock_guard hold(Owner->Lock);
  Owner->Voices.push_back(this);
}

SoundBuffer::~SoundBuffer() {
  std::lock_guard hold(Owner->Lock);
  std::erase(Owner->Voices, this);
}

int SoundBuffer::SetVolume(int32_t volume) {
  if (volume < VolumeMin || volume > VolumeMax) return SoundErrInvalidParam;
  std::lock_guard hold(Owner->Lock);
  Volume = volume;
  if (!Playing) Applied = VolumeToGain(volume);
  return SoundOk;
}

int32_t SoundBuffer::GetVolume() const {
  std::lock_guard hold(Owner->Lock);
  return Volume;
}

int SoundBuffer::Play(uint32_t flags) {
  if ((flags & ~SoundPlayLooping) != 0) return SoundErrInvalidParam;
  std::lock_guard hold(Owner->Lock);
  if (!Playing) Applied = VolumeToGain(Volume);
  Playing = true;
  Looping = (flags & SoundPlayLooping) != 0;
  return SoundOk;
}

void SoundBuffer::Stop() {
  std::lock_guard hold(Owner->Lock);
  Playing = false;
  Position = 0;
}

bool SoundBuffer::IsPlaying() const {
  std::lock_guard hold(Owner->Lock);
  return Playing;
}

int StreamBuffer::Lock(uint32_t offset, uint32_t bytes, std::span<uint8_t>& part1, std::span<uint8_t>& part2) {
  const std::span<uint8_t> ring(reinterpret_cast<uint8_t*>(Samples.data()), Bytes());
  if (offset >= ring.size() || bytes == 0 || bytes > ring.size()) return SoundErrInvalidParam;
  part1 = ring.subspan(offset, std::min<size_t>(bytes, ring.size() - offset));
  part2 = ring.first(bytes - part1.size());
  return SoundOk;
}

void StreamBuffer::Unlock() {
  std::lock_guard publish(Owner->Lock);  // the mixer's next block sees every byte written
}

uint32_t StreamBuffer::GetCurrentPosition() const {
  std::lock_guard hold(Owner->Lock);
  return Position * OutputFormat.BlockAlign();
}

std::unique_ptr<SoundDevice> SoundDevice::Create() {
  // Names the game in the desktop's volume mixer, unless the user or the program chose one.
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Huebloc", SDL_HINT_DEFAULT);
  SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;

  std::unique_ptr<SoundDevice> device(new SoundDevice());
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(MixRate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = MixChannels;
  wanted.samples = Mixer::MaxBlockFrames;
  wanted.callback = [](void* mixer, Uint8* stream, int bytes) {
    static_cast<Mixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(stream),
                                    static_cast<size_t>(bytes) / OutputFormat.BlockAlign());
  };
  wanted.userdata = device->Output.get();
  // No changes allowed: the callback always gets the game's own format, and SDL converts it
  // to whatever the hardware takes.
  device->DeviceId = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (device->DeviceId == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_PauseAudioDevice(device->DeviceId, 0);  // it opens paused
  return device;
}

std::unique_ptr<SoundDevice> SoundDevice::CreateOffline() { return std::unique_ptr<SoundDevice>(new SoundDevice()); }

SoundDevice::~SoundDevice() {
  if (DeviceId != 0) {
    SDL_CloseAudioDevice(DeviceId);  // waits for the callback to return
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

std::unique_ptr<SoundBuffer> SoundDevice::CreateSoundBuffer(const PcmFormat& format, std::span<const uint8_t> samples) {
  if (format.Channels < 1 || format.Channels > 8 || (format.BitsPerSample != 8 && format.BitsPerSample != 16) ||
      format.SamplesPerSec < 1000 || format.SamplesPerSec > 384000 || samples.size() < format.BlockAlign() ||
      samples.size() > SoundBufferMaxBytes)
    return nullptr;
  // Whole frames, converted by SDL in place.
  const size_t bytes = samples.size() - samples.size() % format.BlockAlign();
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, format.BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB, static_cast<Uint8>(format.Channels),
                        static_cast<int>(format.SamplesPerSec), AUDIO_S16SYS, MixChannels, MixRate) < 0 ||
      uint64_t{bytes} * static_cast<unsigned>(cvt.len_mult) > INT_MAX)
    return nullptr;
  try {
    std::vector<int16_t> converted((bytes * static_cast<size_t>(cvt.len_mult) + 1) / sizeof(int16_t));
    std::memcpy(converted.data(), samples.data(), bytes);
    cvt.buf = reinterpret_cast<Uint8*>(converted.data());
    cvt.len = static_cast<int>(bytes);
    if (SDL_ConvertAudio(&cvt) != 0 || static_cast<uint32_t>(cvt.len_cvt) < OutputFormat.BlockAlign()) return nullptr;
    converted.resize(static_cast<size_t>(cvt.len_cvt) / OutputFormat.BlockAlign() * MixChannels);
    converted.shrink_to_fit();
    return std::unique_ptr<SoundBuffer>(new SoundBuffer(Output, std::move(converted)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<StreamBuffer> SoundDevice::CreateSoundBuffer(uint32_t bytes) {
  if (bytes == 0 || bytes > SoundBufferMaxBytes || bytes % OutputFormat.BlockAlign() != 0) return nullptr;
  try {
    std::vector<int16_t> silence(bytes / sizeof(int16_t));
    return std::unique_ptr<StreamBuffer>(new StreamBuffer(Output, std::move(silence)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace platform
