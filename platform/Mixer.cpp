#include "platform/Mixer.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace platform {

namespace {

SDL_AudioFormat SdlFormatOf(const PcmFormat& format) {
  return format.BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
}

uint32_t CeilDiv(uint64_t a, uint64_t b) { return static_cast<uint32_t>((a + b - 1) / b); }
uint32_t RoundUp(uint32_t value, uint32_t step) { return CeilDiv(value, step) * step; }

uint8_t SilenceOf(const PcmFormat& format) {
  return static_cast<uint8_t>(format.BitsPerSample == 8 ? 0x80 : 0x00);
}

// How to feed SDL's resampler so that it joins consecutive feeds without a seam: each feed a
// multiple of Quantum source frames (which it turns into a whole number of output frames) and
// at least History frames long (shorter ones it collects and cuts up on its own). It also holds
// back the last History frames of what it was fed, so an ending needs that much silence after it.
struct FeedPlan {
  uint32_t Quantum = 1;
  uint32_t History = 0;
  uint32_t MinFeed = 1;
};

FeedPlan PlanFeeds(uint32_t inRate, uint32_t outRate) {
  FeedPlan plan;
  if (inRate == outRate) return plan;
  constexpr uint32_t samplesPerZeroCrossing = 512;
  plan.History = inRate > outRate ? CeilDiv(uint64_t{samplesPerZeroCrossing} * inRate, outRate)
                                  : samplesPerZeroCrossing;
  plan.Quantum = inRate / std::gcd(inRate, outRate);
  if (plan.Quantum > 4096) plan.Quantum = 1;  // no short seamless step for this pair of rates
  plan.MinFeed = RoundUp(plan.History, plan.Quantum);
  return plan;
}

}  // namespace

bool PcmFormat::Valid() const {
  return Channels >= 1 && Channels <= 8 && (BitsPerSample == 8 || BitsPerSample == 16) &&
         SamplesPerSec >= 1000 && SamplesPerSec <= 384000;
}

float VolumeToGain(int32_t volume) {
  if (volume <= VolumeMin) return 0.0f;
  if (volume >= VolumeMax) return 1.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

bool ConvertPcm(const PcmFormat& format, const uint8_t* data, size_t bytes, uint32_t rate,
                uint16_t channels, std::vector<int16_t>& out) {
  out.clear();
  if (!format.Valid() || bytes / format.BlockAlign() > UINT32_MAX / 2) return false;
  SDL_AudioStream* stream =
      SDL_NewAudioStream(SdlFormatOf(format), static_cast<Uint8>(format.Channels),
                         static_cast<int>(format.SamplesPerSec), AUDIO_S16SYS,
                         static_cast<Uint8>(channels), static_cast<int>(rate));
  if (!stream) return false;
  const uint32_t blockAlign = format.BlockAlign();
  const uint32_t frames = static_cast<uint32_t>(bytes / blockAlign);
  const FeedPlan plan = PlanFeeds(format.SamplesPerSec, rate);
  // Moderate feeds: the resampler's position arithmetic overflows on very long ones.
  const uint32_t chunk = RoundUp(std::max(8192u, plan.MinFeed), plan.Quantum);
  bool ok = true;
  for (uint32_t done = 0; ok && done < frames;) {
    const uint32_t n = std::min(chunk, frames - done);
    ok = SDL_AudioStreamPut(stream, data + size_t{done} * blockAlign, static_cast<int>(n * blockAlign)) == 0;
    done += n;
  }
  if (ok && plan.History > 0) {
    // Push the held-back end of the sound through with silence.
    const std::vector<uint8_t> silence(size_t{plan.MinFeed} * blockAlign, SilenceOf(format));
    ok = SDL_AudioStreamPut(stream, silence.data(), static_cast<int>(silence.size())) == 0 &&
         SDL_AudioStreamFlush(stream) == 0;
  }
  if (ok) {
    // Exactly the sound's duration at the output rate.
    const size_t wanted = static_cast<size_t>((uint64_t{frames} * rate + format.SamplesPerSec / 2) /
                                              format.SamplesPerSec);
    const size_t frameBytes = sizeof(int16_t) * channels;
    const size_t available = static_cast<size_t>(std::max(SDL_AudioStreamAvailable(stream), 0)) / frameBytes;
    out.assign(wanted * channels, 0);
    const size_t take = std::min(available, wanted) * frameBytes;
    ok = take == 0 || SDL_AudioStreamGet(stream, out.data(), static_cast<int>(take)) == static_cast<int>(take);
  }
  SDL_FreeAudioStream(stream);
  if (!ok) out.clear();
  return ok;
}

// --- MixerVoice ---

void MixerVoice::Play(bool looping) {
  uint64_t s = State.load(std::memory_order_acquire);
  if ((s & PlayingBit) == 0) Started.store(true, std::memory_order_relaxed);
  for (;;) {
    const uint64_t next = (s | PlayingBit) & ~LoopingBit;
    if (State.compare_exchange_weak(s, looping ? next | LoopingBit : next,
                                    std::memory_order_acq_rel, std::memory_order_acquire))
      return;
  }
}

bool MixerVoice::IsPlaying() const {
  return (State.load(std::memory_order_acquire) & PlayingBit) != 0;
}

void MixerVoice::SetVolume(int32_t volume) {
  volume = std::clamp(volume, VolumeMin, VolumeMax);
  VolumeValue.store(volume, std::memory_order_relaxed);
  TargetGain.store(VolumeToGain(volume), std::memory_order_relaxed);
}

bool MixerVoice::BeginBlock(uint64_t& state) {
  state = State.load(std::memory_order_acquire);
  if ((state & PlayingBit) == 0) {
    WasSounding = false;
    return false;
  }
  // A sound that starts takes its volume at once; one that plays on glides to a new volume.
  if (Started.exchange(false, std::memory_order_relaxed) || !WasSounding)
    AppliedGain = TargetGain.load(std::memory_order_relaxed);
  WasSounding = true;
  return true;
}

void MixerVoice::AddScaled(float* out, const float* src, uint32_t frames) { AddScaledFrom(out, src, frames, 1.0f); }

void MixerVoice::AddScaled(float* out, const int16_t* src, uint32_t frames) {
  AddScaledFrom(out, src, frames, 1.0f / 32768.0f);
}

// Each sample of src times unit is in -1..1.
template <typename Sample>
void MixerVoice::AddScaledFrom(float* out, const Sample* src, uint32_t frames, float unit) {
  if (frames == 0) return;
  const float target = TargetGain.load(std::memory_order_relaxed);
  const size_t channels = OutChannels;
  float gain = AppliedGain;
  if (gain == target) {
    if (gain == 0.0f) return;
    const float scale = gain * unit;
    const size_t count = size_t{frames} * channels;
    for (size_t i = 0; i < count; ++i) out[i] += static_cast<float>(src[i]) * scale;
    return;
  }
  // Glide over the block so a volume change does not click.
  const float step = (target - gain) / static_cast<float>(frames);
  for (uint32_t f = 0; f < frames; ++f) {
    gain = f + 1 == frames ? target : gain + step;
    const float scale = gain * unit;
    for (size_t c = 0; c < channels; ++c) out[f * channels + c] += static_cast<float>(src[f * channels + c]) * scale;
  }
  AppliedGain = target;
}

void MixerVoice::Commit(uint64_t seen, uint32_t position, bool ended) {
  uint64_t expected = seen;
  for (;;) {
    const uint64_t next =
        ended ? WithPosition(expected & ~PlayingBit, 0) : WithPosition(expected, position);
    if (State.compare_exchange_weak(expected, next, std::memory_order_acq_rel,
                                    std::memory_order_acquire))
      return;
    if ((expected & GenerationMask) != (seen & GenerationMask)) return;
  }
}

// --- StaticVoice ---

void StaticVoice::Stop() {
  uint64_t s = State.load(std::memory_order_acquire);
  for (;;) {
    const uint64_t next = NextGeneration(WithPosition(s & ~PlayingBit, 0));
    if (State.compare_exchange_weak(s, next, std::memory_order_acq_rel,
                                    std::memory_order_acquire))
      return;
  }
}

void StaticVoice::MixInto(float* out, uint32_t frames) {
  uint64_t state;
  if (!BeginBlock(state)) return;
  const bool looping = (state & LoopingBit) != 0;
  uint32_t pos = PositionOf(state);
  uint32_t done = 0;
  while (done < frames) {
    if (pos >= FrameCount) {
      if (!looping || FrameCount == 0) break;
      pos = 0;
    }
    const uint32_t n = std::min(frames - done, FrameCount - pos);
    AddScaled(out + size_t{done} * OutChannels, Samples.data() + size_t{pos} * OutChannels, n);
    pos += n;
    done += n;
  }
  Commit(state, pos, !looping && pos >= FrameCount);
}

// --- StreamVoice ---

struct StreamVoice::Converter {
  SDL_AudioStream* Stream = nullptr;
  ~Converter() {
    if (Stream) SDL_FreeAudioStream(Stream);
  }
};

StreamVoice::StreamVoice(const PcmFormat& format, uint32_t bytes, uint32_t outRate,
                         uint16_t outChannels)
    : MixerVoice(outChannels), Format(format), OutRate(outRate), RingData((bytes + 1) / 2), RingSize(bytes) {
  // The ring starts out silent.
  std::fill_n(Ring(), bytes, SilenceOf(format));
}

StreamVoice::~StreamVoice() = default;

std::unique_ptr<StreamVoice> StreamVoice::Create(const PcmFormat& format, uint32_t bytes,
                                                 uint32_t outRate, uint16_t outChannels) {
  if (!format.Valid() || bytes == 0 || bytes % format.BlockAlign() != 0) return nullptr;
  std::unique_ptr<StreamVoice> voice(new StreamVoice(format, bytes, outRate, outChannels));
  const FeedPlan plan = PlanFeeds(format.SamplesPerSec, outRate);
  voice->Quantum = plan.Quantum;
  voice->MinFeedFrames = plan.MinFeed;
  voice->MaxFeedFrames = RoundUp(
      std::max(CeilDiv(uint64_t{Mixer::MaxBlockFrames} * format.SamplesPerSec, outRate), plan.MinFeed),
      plan.Quantum);
  // 16-bit frames in the output's own rate and channel count need no converter: they are
  // mixed straight from the ring, as the effects are, without copying them through one.
  if (format.BitsPerSample == 16 && format.SamplesPerSec == outRate && format.Channels == outChannels &&
      std::endian::native == std::endian::little) {
    voice->Wrapped.resize(size_t{Mixer::MaxBlockFrames} * outChannels);
    return voice;
  }
  voice->Convert = std::make_unique<Converter>();
  voice->Convert->Stream = SDL_NewAudioStream(
      SdlFormatOf(format), static_cast<Uint8>(format.Channels),
      static_cast<int>(format.SamplesPerSec), AUDIO_F32SYS, static_cast<Uint8>(outChannels),
      static_cast<int>(outRate));
  if (!voice->Convert->Stream) return nullptr;

  const uint32_t blockAlign = format.BlockAlign();
  voice->FeedBuffer.resize(size_t{voice->MaxFeedFrames} * blockAlign);
  voice->Scratch.resize(size_t{Mixer::MaxBlockFrames} * outChannels);

  // Run the largest feeds through once, so the converter has grown every internal buffer
  // before the audio thread uses it: mixing never allocates.
  std::fill(voice->FeedBuffer.begin(), voice->FeedBuffer.end(), SilenceOf(format));
  SDL_AudioStream* stream = voice->Convert->Stream;
  for (uint32_t i = 0; i < FeedTries + 1; ++i) {
    if (SDL_AudioStreamPut(stream, voice->FeedBuffer.data(),
                           static_cast<int>(voice->FeedBuffer.size())) != 0)
      return nullptr;
  }
  const int scratchBytes = static_cast<int>(voice->Scratch.size() * sizeof(float));
  while (SDL_AudioStreamAvailable(stream) > 0) {
    if (SDL_AudioStreamGet(stream, voice->Scratch.data(), scratchBytes) <= 0) break;
  }
  return voice;
}

void StreamVoice::Stop() { State.fetch_and(~PlayingBit, std::memory_order_acq_rel); }

uint32_t StreamVoice::CursorBytes() const {
  const uint32_t pos = PositionOf(State.load(std::memory_order_acquire));
  return pos >= RingBytes() ? 0 : pos;
}

void StreamVoice::Feed(uint32_t frames, uint32_t& pos, bool looping, bool& atEnd) {
  const uint32_t blockAlign = Format.BlockAlign();
  const uint32_t ringBytes = RingBytes();
  uint32_t copied = 0;
  while (copied < frames) {
    if (pos >= ringBytes) {
      if (!looping) break;
      pos = 0;
    }
    const uint32_t n = std::min(frames - copied, (ringBytes - pos) / blockAlign);
    std::memcpy(FeedBuffer.data() + size_t{copied} * blockAlign, Ring() + pos,
                size_t{n} * blockAlign);
    pos += n * blockAlign;
    copied += n;
  }
  // One put per feed, wrap included, keeps the resampler continuous across the ring's end.
  if (copied > 0)
    SDL_AudioStreamPut(Convert->Stream, FeedBuffer.data(), static_cast<int>(copied * blockAlign));
  if (!looping && pos >= ringBytes) {
    // The end of a single pass: push the resampler's held-back frames out with silence.
    atEnd = true;
    std::fill_n(FeedBuffer.begin(), size_t{MinFeedFrames} * blockAlign, SilenceOf(Format));
    SDL_AudioStreamPut(Convert->Stream, FeedBuffer.data(), static_cast<int>(MinFeedFrames * blockAlign));
  }
}

void StreamVoice::MixInto(float* out, uint32_t frames) {
  uint64_t state;
  if (!BeginBlock(state)) return;
  // Pairs with Publish: everything written into the ring so far is visible from here on.
  (void)Writes.load(std::memory_order_acquire);
  const bool looping = (state & LoopingBit) != 0;
  uint32_t pos = PositionOf(state);
  if (!Convert) {
    MixStraight(out, frames, pos, looping, state);
    return;
  }
  bool atEnd = !looping && pos >= RingBytes();
  SDL_AudioStream* stream = Convert->Stream;
  const uint32_t frameBytes = static_cast<uint32_t>(sizeof(float)) * OutChannels;
  auto available = [&] { return static_cast<uint32_t>(SDL_AudioStreamAvailable(stream)) / frameBytes; };

  uint32_t have = available();
  for (uint32_t tries = 0; have < frames && !atEnd && tries < FeedTries; ++tries) {
    const uint32_t wanted = CeilDiv(uint64_t{frames - have} * Format.SamplesPerSec, OutRate);
    const uint32_t feed =
        std::min(RoundUp(std::max(wanted, MinFeedFrames), Quantum), MaxFeedFrames);
    Feed(feed, pos, looping, atEnd);
    have = available();
  }
  const uint32_t take = std::min(have, frames);
  uint32_t got = 0;
  if (take > 0) {
    const int read = SDL_AudioStreamGet(stream, Scratch.data(), static_cast<int>(take * frameBytes));
    got = read > 0 ? static_cast<uint32_t>(read) / frameBytes : 0;
  }
  AddScaled(out, Scratch.data(), got);
  if (looping && pos >= RingBytes()) pos = 0;
  // A single pass ends once its last converted frame has been played.
  Commit(state, pos, atEnd && got < frames);
}

// The ring's frames as they are, read in place; a block across the ring's end is first
// made whole, so that a volume glide spans the block.
void StreamVoice::MixStraight(float* out, uint32_t frames, uint32_t pos, bool looping, uint64_t state) {
  const uint32_t blockAlign = Format.BlockAlign();
  const uint32_t ringBytes = RingBytes();
  const int16_t* ring = RingData.data();
  const size_t channels = OutChannels;
  if (looping && pos >= ringBytes) pos = 0;
  const uint32_t untilEnd = pos < ringBytes ? (ringBytes - pos) / blockAlign : 0;
  uint32_t got = 0;
  if (untilEnd >= frames || !looping) {
    got = std::min(frames, untilEnd);
    AddScaled(out, ring + pos / sizeof(int16_t), got);
    pos += got * blockAlign;
  } else {
    while (got < frames) {
      if (pos >= ringBytes) pos = 0;
      const uint32_t n = std::min(frames - got, (ringBytes - pos) / blockAlign);
      std::copy_n(ring + pos / sizeof(int16_t), size_t{n} * channels, Wrapped.data() + size_t{got} * channels);
      pos += n * blockAlign;
      got += n;
    }
    AddScaled(out, Wrapped.data(), got);
  }
  if (looping && pos >= ringBytes) pos = 0;
  // A single pass ends once its last frame has been played.
  Commit(state, pos, !looping && got < frames);
}

// --- Mixer ---

Mixer::Mixer(uint32_t rate, uint16_t channels)
    : OutRate(rate), OutChannels(channels), Scratch(size_t{MaxBlockFrames} * channels) {
  Voices.reserve(16);
}

void Mixer::Attach(std::shared_ptr<MixerVoice> voice) {
  std::lock_guard<std::mutex> hold(Lock);
  Voices.push_back(std::move(voice));
}

void Mixer::Detach(const MixerVoice* voice) {
  std::shared_ptr<MixerVoice> gone;  // released after the lock
  std::lock_guard<std::mutex> hold(Lock);
  auto it = std::find_if(Voices.begin(), Voices.end(),
                         [voice](const auto& v) { return v.get() == voice; });
  if (it == Voices.end()) return;
  gone = std::move(*it);
  Voices.erase(it);
}

void Mixer::ReplaceSamples(StaticVoice& voice, std::vector<int16_t>& samples) {
  const uint32_t frames = static_cast<uint32_t>(samples.size() / OutChannels);
  std::lock_guard<std::mutex> hold(Lock);
  voice.Samples.swap(samples);
  voice.FrameCount = frames;
}

void Mixer::MixBlock(float* sum, uint32_t frames) {
  std::fill_n(sum, size_t{frames} * OutChannels, 0.0f);
  for (const auto& voice : Voices) voice->MixInto(sum, frames);
}

// Mixes block by block and hands each block out through convert, which clips the sum into
// the output's range. Float output is summed in place, without a scratch buffer.
template <typename Sample, typename Convert>
void Mixer::MixOut(Sample* out, size_t frames, Convert convert) {
  for (size_t done = 0; done < frames;) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(frames - done, MaxBlockFrames));
    const size_t count = size_t{n} * OutChannels;
    Sample* dst = out + done * OutChannels;
    {
      std::lock_guard<std::mutex> hold(Lock);
      if constexpr (std::is_same_v<Sample, float>) {
        MixBlock(dst, n);
        for (size_t i = 0; i < count; ++i) dst[i] = convert(dst[i]);
      } else {
        MixBlock(Scratch.data(), n);
        for (size_t i = 0; i < count; ++i) dst[i] = convert(Scratch[i]);
      }
    }
    done += n;
  }
  MixedFrames.fetch_add(frames, std::memory_order_relaxed);
}

void Mixer::Mix(float* out, size_t frames) {
  MixOut(out, frames, [](float v) { return std::clamp(v, -1.0f, 1.0f); });
}

void Mixer::Mix(int16_t* out, size_t frames) {
  MixOut(out, frames, [](float v) {
    return static_cast<int16_t>(std::lrint(std::clamp(v * 32768.0f, -32768.0f, 32767.0f)));
  });
}

}  // namespace platform
