// Helpers shared by the sound tests: PCM data, buffers on a device, mixed output.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sound.h"

namespace soundtest {

using platform::OutputFormat;
using platform::PcmFormat;
using platform::SoundBuffer;
using platform::SoundDevice;
using platform::StreamBuffer;

inline const PcmFormat EffectFormat{1, 22050, 16};
constexpr uint16_t Channels = platform::MixChannels;

inline std::unique_ptr<SoundDevice> Offline() { return SoundDevice::CreateOffline(); }

inline std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto v = static_cast<uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  return bytes;
}

inline std::vector<int16_t> Constant(size_t count, int16_t value) {
  return std::vector<int16_t>(count, value);
}

// Sample i is i scaled into range, so every frame is told apart from its neighbours.
inline std::vector<int16_t> Ramp(size_t count) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(i % 30000);
  return samples;
}

inline std::vector<int16_t> Sine(size_t frames, uint16_t channels, double hz, double rate,
                                 double amplitude) {
  std::vector<int16_t> samples(frames * channels);
  const double pi = std::acos(-1.0);
  for (size_t f = 0; f < frames; ++f) {
    const double v = amplitude * 32767.0 * std::sin(2.0 * pi * hz * static_cast<double>(f) / rate);
    for (size_t c = 0; c < channels; ++c) samples[f * channels + c] = static_cast<int16_t>(std::lrint(v));
  }
  return samples;
}

// A static buffer of 16-bit `samples` in `format`; in OutputFormat they are played as they are.
inline std::unique_ptr<SoundBuffer> MakeEffect(SoundDevice& device, const std::vector<int16_t>& samples,
                                               const PcmFormat& format = OutputFormat) {
  std::unique_ptr<SoundBuffer> buffer = device.CreateSoundBuffer(format, Bytes(samples));
  EXPECT_NE(buffer, nullptr);
  return buffer;
}

inline std::vector<int16_t> Mix(SoundDevice& device, size_t frames) {
  std::vector<int16_t> out(frames * Channels, 12345);
  device.GetMixer().Mix(out.data(), frames);
  return out;
}

// Mixes callback-sized blocks until `buffer` has stopped (a block at least, 10 s at most).
inline std::vector<int16_t> MixUntilStopped(SoundDevice& device, const SoundBuffer& buffer) {
  std::vector<int16_t> out;
  for (int block = 0; block < 430 && (block == 0 || buffer.IsPlaying()); ++block) {
    const auto part = Mix(device, 1024);
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// Writes `samples` into a ring at `offset` through Lock/Unlock, wrapping like any writer.
inline void Write(StreamBuffer& buffer, uint32_t offset, const std::vector<int16_t>& samples) {
  const std::vector<uint8_t> bytes = Bytes(samples);
  std::span<uint8_t> p1, p2;
  ASSERT_EQ(buffer.Lock(offset, static_cast<uint32_t>(bytes.size()), p1, p2), platform::SoundOk);
  std::memcpy(p1.data(), bytes.data(), p1.size());
  std::memcpy(p2.data(), bytes.data() + p1.size(), p2.size());
  buffer.Unlock();
}

// A ring holding `samples`.
inline std::unique_ptr<StreamBuffer> MakeStream(SoundDevice& device, const std::vector<int16_t>& samples) {
  std::unique_ptr<StreamBuffer> buffer = device.CreateSoundBuffer(static_cast<uint32_t>(samples.size() * 2));
  EXPECT_NE(buffer, nullptr);
  if (buffer) Write(*buffer, 0, samples);
  return buffer;
}

inline int32_t VolumeOf(const SoundBuffer& buffer) { return buffer.GetVolume(); }

inline bool Silent(const std::vector<int16_t>& out) {
  return std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; });
}

inline int Peak(const std::vector<int16_t>& out) {
  int peak = 0;
  for (int16_t v : out) peak = std::max(peak, std::abs(int{v}));
  return peak;
}

// Frames from the first to the last one with any channel above the threshold.
inline size_t SoundingSpan(const std::vector<int16_t>& out, int threshold) {
  size_t first = SIZE_MAX, last = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (std::abs(int{out[i]}) > threshold) {
      first = std::min(first, i / Channels);
      last = i / Channels;
    }
  }
  return first == SIZE_MAX ? 0 : last - first + 1;
}

// Sets an environment variable (SDL reads its drivers' settings from there) for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (Old)
      setenv(Name.c_str(), Old->c_str(), 1);
    else
      unsetenv(Name.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string Name;
  std::optional<std::string> Old;
};

// Waits for another thread (the audio thread) to get somewhere; false if it never does.
template <typename Condition>
bool WaitUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

}  // namespace soundtest
