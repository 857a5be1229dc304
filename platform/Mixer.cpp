#include "platform/Mixer.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float RampStep = 1.0f / static_cast<float>(Mixer::RampFrames);

float Toward(float from, float to) {
  return from < to ? std::min(from + RampStep, to) : std::max(from - RampStep, to);
}

// Adds `frames` frames of `src` times a gain that ramps from `applied` to `target` first.
void AddScaled(float* sum, const int16_t* src, uint32_t frames, float& applied, float target) {
  uint32_t f = 0;
  for (; f < frames && applied != target; ++f) {
    applied = Toward(applied, target);
    for (size_t c = 0; c < MixChannels; ++c)
      sum[f * MixChannels + c] += static_cast<float>(src[f * MixChannels + c]) * applied;
  }
  const float gain = applied;
  if (gain == 0.0f) return;
  for (size_t i = size_t{f} * MixChannels; i < size_t{frames} * MixChannels; ++i)
    sum[i] += static_cast<float>(src[i]) * gain;
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
  if (volume >= VolumeMax) return 1.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

Mixer::Mixer() : Sum(size_t{MaxBlockFrames} * MixChannels) {
  Voices.reserve(16);  // the effects and the music, without growing under the lock
}

void Mixer::Attach(MixerVoice& voice) {
  std::lock_guard hold(Lock);
  Voices.push_back(&voice);
}

void Mixer::Detach(MixerVoice& voice) {
  std::lock_guard hold(Lock);
  std::erase(Voices, &voice);
}

void Mixer::Play(MixerVoice& voice, bool looping) {
  std::lock_guard hold(Lock);
  if (!voice.Playing) {
    voice.Playing = true;
    voice.Applied = voice.Gain;
  }
  voice.Looping = looping;
}

void Mixer::Stop(MixerVoice& voice, bool rewind) {
  std::lock_guard hold(Lock);
  voice.Playing = false;
  if (rewind) voice.Position = 0;
}

void Mixer::SetVolume(MixerVoice& voice, int32_t volume) {
  const float gain = VolumeToGain(volume);
  std::lock_guard hold(Lock);
  voice.Volume = volume;
  voice.Gain = gain;
  if (!voice.Playing) voice.Applied = gain;
}

int32_t Mixer::Volume(const MixerVoice& voice) const {
  std::lock_guard hold(Lock);
  return voice.Volume;
}

bool Mixer::IsPlaying(const MixerVoice& voice) const {
  std::lock_guard hold(Lock);
  return voice.Playing;
}

uint32_t Mixer::Position(const MixerVoice& voice) const {
  std::lock_guard hold(Lock);
  return voice.Position;
}

void Mixer::Publish() { std::lock_guard hold(Lock); }

void Mixer::SetAudible(bool audible) {
  std::lock_guard hold(Lock);
  Audible = audible ? 1.0f : 0.0f;
}

void Mixer::MixBlock(int16_t* out, uint32_t frames) {
  std::fill_n(Sum.begin(), size_t{frames} * MixChannels, 0.0f);
  for (MixerVoice* voice : Voices) {
    if (!voice->Playing) continue;
    const uint32_t total = voice->Frames();
    for (uint32_t done = 0; done < frames;) {
      const uint32_t n = std::min(frames - done, total - voice->Position);
      const int16_t* from = voice->Samples.data() + size_t{voice->Position} * MixChannels;
      AddScaled(Sum.data() + size_t{done} * MixChannels, from, n, voice->Applied, voice->Gain);
      voice->Position += n;
      done += n;
      if (voice->Position == total) {
        voice->Position = 0;
        if (!voice->Looping) {
          voice->Playing = false;
          break;
        }
      }
    }
  }
  const size_t count = size_t{frames} * MixChannels;
  size_t i = 0;
  for (; i < count && AudibleApplied != Audible; i += MixChannels) {
    AudibleApplied = Toward(AudibleApplied, Audible);
    for (size_t c = 0; c < MixChannels; ++c) out[i + c] = Clamped(Sum[i + c] * AudibleApplied);
  }
  const float gain = AudibleApplied;
  for (; i < count; ++i) out[i] = Clamped(Sum[i] * gain);
}

void Mixer::Mix(int16_t* out, size_t frames) {
  for (size_t done = 0; done < frames;) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(frames - done, MaxBlockFrames));
    {
      std::lock_guard hold(Lock);
      MixBlock(out + done * MixChannels, n);
    }
    done += n;
  }
  MixedFrames.fetch_add(frames, std::memory_order_relaxed);
}

}  // namespace platform
