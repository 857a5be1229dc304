// Cost of mixing one second of output with every effect sounding and the music streaming,
// in callback-sized blocks. "share" is the CPU time spent per second of sound produced: the
// mixer must stay far below 0.05.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/Sound.h"

namespace {

using platform::SoundDevice;

std::vector<int16_t> Tone(uint32_t frames, uint16_t channels, uint32_t rate, double hz) {
  std::vector<int16_t> samples(size_t{frames} * channels);
  const double pi = std::acos(-1.0);
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < channels; ++c)
      samples[f * channels + c] =
          static_cast<int16_t>(8000.0 * std::sin(2.0 * pi * hz * static_cast<double>(f) / rate));
  return samples;
}

// Argument: frames per callback.
void MixTenEffectsAndMusic(benchmark::State& state) {
  const auto block = static_cast<size_t>(state.range(0));
  auto device = SoundDevice::CreateOffline();
  // The ten effects' lengths in frames, all sounding at once and kept sounding by looping.
  const uint32_t lengths[10] = {7232, 12452, 9000, 9500, 8724, 4608, 11520, 15962, 2360, 25921};
  std::vector<std::unique_ptr<platform::SoundBuffer>> effects;
  for (int i = 0; i < 10; ++i) {
    const std::vector<int16_t> samples = Tone(lengths[i], 1, 22050, 300.0 + 40 * i);
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    effects.push_back(device->CreateSoundBuffer({1, 22050, 16}, {bytes, samples.size() * sizeof(int16_t)}));
    effects.back()->SetVolume(-150 * i);
    effects.back()->Play(platform::SoundPlayLooping);
  }
  const auto music = device->CreateSoundBuffer(4 * platform::OutputFormat.AvgBytesPerSec());
  const std::vector<int16_t> ring = Tone(4 * platform::MixRate, 2, platform::MixRate, 441.0);
  std::span<uint8_t> part, wrapped;
  music->Lock(0, music->Bytes(), part, wrapped);
  std::memcpy(part.data(), ring.data(), part.size());
  music->Unlock();
  music->SetVolume(-600);
  music->Play(platform::SoundPlayLooping);

  std::vector<int16_t> out(block * platform::MixChannels);
  platform::Mixer& mixer = device->GetMixer();
  for (auto _ : state) {
    for (size_t done = 0; done < platform::MixRate; done += block)
      mixer.Mix(out.data(), std::min<size_t>(block, platform::MixRate - done));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["share"] = benchmark::Counter(
      1.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(MixTenEffectsAndMusic)->Arg(1024)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace
