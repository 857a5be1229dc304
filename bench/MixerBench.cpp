// Cost of mixing one second of output with every effect sounding and the music streaming,
// in callback-sized blocks. "share" is the CPU time spent per second of sound produced: the
// mixer must stay far below 0.05.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Sound.h"

namespace {

using platform::PcmFormat;
using platform::SoundBuffer;
using platform::SoundBufferDesc;
using platform::SoundBufferKind;
using platform::SoundDevice;

std::unique_ptr<SoundBuffer> MakeTone(SoundDevice& device, SoundBufferKind kind, const PcmFormat& format,
                                      uint32_t frames, double hz) {
  std::vector<int16_t> samples(size_t{frames} * format.Channels);
  const double pi = std::acos(-1.0);
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < format.Channels; ++c)
      samples[f * format.Channels + c] =
          static_cast<int16_t>(8000.0 * std::sin(2.0 * pi * hz * static_cast<double>(f) / format.SamplesPerSec));
  SoundBufferDesc desc;
  desc.Kind = kind;
  desc.Format = format;
  desc.Bytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
  desc.Data = samples.data();
  std::unique_ptr<SoundBuffer> buffer;
  device.CreateSoundBuffer(desc, buffer);
  return buffer;
}

// Arguments: output rate, frames per callback.
void MixTenEffectsAndMusic(benchmark::State& state) {
  const auto rate = static_cast<uint32_t>(state.range(0));
  const auto block = static_cast<size_t>(state.range(1));
  std::unique_ptr<SoundDevice> device;
  if (SoundDevice::CreateOffline(rate, 2, device) != platform::SoundOk) {
    state.SkipWithError("no offline device");
    return;
  }
  // The ten effects' lengths in frames, all sounding at once and kept sounding by looping.
  const uint32_t lengths[10] = {7232, 12452, 9000, 9500, 8724, 4608, 11520, 15962, 2360, 25921};
  std::vector<std::unique_ptr<SoundBuffer>> effects;
  for (int i = 0; i < 10; ++i) {
    effects.push_back(MakeTone(*device, SoundBufferKind::Static, {1, 22050, 16}, lengths[i], 300.0 + 40 * i));
    effects.back()->SetVolume(-150 * i);
    effects.back()->Play(platform::SoundPlayLooping);
  }
  auto music = MakeTone(*device, SoundBufferKind::Stream, {2, 44100, 16}, 4 * 44100, 441.0);
  music->SetVolume(-600);
  music->Play(platform::SoundPlayLooping);

  std::vector<float> out(block * 2);
  platform::Mixer& mixer = device->GetMixer();
  for (auto _ : state) {
    for (size_t done = 0; done < rate; done += block) mixer.Mix(out.data(), std::min<size_t>(block, rate - done));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["share"] = benchmark::Counter(
      1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(MixTenEffectsAndMusic)
    ->Args({44100, 1024})
    ->Args({48000, 1024})
    ->Args({48000, 256})
    ->Unit(benchmark::kMillisecond);

}  // namespace
