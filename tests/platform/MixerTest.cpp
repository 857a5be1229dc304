// The mixer driven frame by frame, without an audio device: volumes and their ramps, play once,
// stop, repeated requests, summing with clamping, the effects' conversion when they are made,
// and the silence while the window does not have the focus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::Mixer;
using platform::SoundOk;
using platform::VolumeToGain;

namespace {

int16_t Scaled(int16_t sample, float gain) { return static_cast<int16_t>(std::lrint(sample * gain)); }

size_t RisingZeroCrossings(const std::vector<int16_t>& out, size_t from, size_t to) {
  size_t count = 0;
  for (size_t f = from + 1; f < to; ++f)
    if (out[(f - 1) * Channels] < 0 && out[f * Channels] >= 0) ++count;
  return count;
}

}  // namespace

TEST(VolumeToGain, FollowsHundredthsOfADecibel) {
  EXPECT_EQ(VolumeToGain(platform::VolumeMin), 0.0f);
  EXPECT_EQ(VolumeToGain(-20000), 0.0f);
  EXPECT_EQ(VolumeToGain(0), 1.0f);
  EXPECT_NEAR(VolumeToGain(-600), 0.5f, 0.005f);
  EXPECT_NEAR(VolumeToGain(-2000), 0.1f, 1e-6f);
  EXPECT_NEAR(VolumeToGain(-2700), 0.0447f, 0.0005f);  // the quietest effect level
  EXPECT_LT(VolumeToGain(-9999), 1e-4f);
  for (int32_t v = -9900; v <= 0; v += 100) EXPECT_GT(VolumeToGain(v), VolumeToGain(v - 100));
}

TEST(EffectBuffer, VolumeScalesTheSound) {
  auto device = Offline();
  auto effect = MakeEffect(*device, Constant(8000, 16384));
  for (int32_t volume : {0, -600, -2000, -10000}) {
    SCOPED_TRACE(volume);
    ASSERT_EQ(effect->SetVolume(volume), SoundOk);
    ASSERT_EQ(effect->Play(0), SoundOk);
    for (int16_t v : Mix(*device, 200)) ASSERT_EQ(v, Scaled(16384, VolumeToGain(volume)));
    effect->Stop();
  }
  // Out of range is refused and changes nothing.
  EXPECT_EQ(effect->SetVolume(300), platform::SoundErrInvalidParam);
  EXPECT_EQ(effect->SetVolume(-10001), platform::SoundErrInvalidParam);
  EXPECT_EQ(VolumeOf(*effect), -10000);
}

TEST(EffectBuffer, AVolumeChangeWhileSoundingRampsAndAStartTakesItAtOnce) {
  auto device = Offline();
  auto effect = MakeEffect(*device, Constant(20000, 16384));
  effect->Play(0);
  Mix(*device, 100);
  effect->SetVolume(platform::VolumeMin);
  const auto glide = Mix(*device, Mixer::RampFrames + 100);
  const int step = 16384 / static_cast<int>(Mixer::RampFrames) + 1;
  EXPECT_GE(glide.front(), 16384 - step);  // no sudden drop: that would click
  for (size_t i = Channels; i < glide.size(); ++i) {
    ASSERT_LE(glide[i], glide[i - Channels]) << i;
    ASSERT_LE(glide[i - Channels] - glide[i], step) << i;
  }
  EXPECT_TRUE(Silent(std::vector<int16_t>(glide.end() - 100 * Channels, glide.end())));
  EXPECT_TRUE(effect->IsPlaying());  // silenced, not stopped

  effect->Stop();
  effect->SetVolume(-600);
  effect->Play(0);
  EXPECT_EQ(Mix(*device, 1)[0], Scaled(16384, VolumeToGain(-600)));
}

TEST(EffectBuffer, PlaysOnceToItsEndAndARequestWhileSoundingNeitherRestartsNorDoubles) {
  auto device = Offline();
  const auto samples = Ramp(1000 * Channels);
  auto effect = MakeEffect(*device, samples);
  EXPECT_FALSE(effect->IsPlaying());
  EXPECT_TRUE(Silent(Mix(*device, 50)));  // nothing before a request

  ASSERT_EQ(effect->Play(0), SoundOk);
  EXPECT_TRUE(effect->IsPlaying());
  auto out = Mix(*device, 300);
  effect->Play(0);
  effect->Play(0);
  const auto rest = Mix(*device, 1200);
  out.insert(out.end(), rest.begin(), rest.end());
  for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(out[i], samples[i]) << i;
  EXPECT_TRUE(Silent(std::vector<int16_t>(out.begin() + static_cast<std::ptrdiff_t>(samples.size()), out.end())));
  EXPECT_FALSE(effect->IsPlaying());

  effect->Play(0);
  out = Mix(*device, 10);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), samples.begin()));
}

TEST(EffectBuffer, StopSilencesAndTheNextRequestStartsOver) {
  auto device = Offline();
  const auto samples = Ramp(1000 * Channels);
  auto effect = MakeEffect(*device, samples);
  effect->Play(0);
  Mix(*device, 300);
  effect->Stop();
  EXPECT_FALSE(effect->IsPlaying());
  EXPECT_TRUE(Silent(Mix(*device, 100)));
  effect->Play(0);
  const auto out = Mix(*device, 10);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), samples.begin()));
}

TEST(Mixer, SumsBuffersAndClampsTheSum) {
  auto device = Offline();
  struct Case {
    int16_t A, B;
    int16_t Sum;
  };
  for (const Case c : {Case{8192, 8192, 16384}, Case{24576, 24576, 32767}, Case{-30000, -30000, -32768}}) {
    SCOPED_TRACE(c.A);
    auto a = MakeEffect(*device, Constant(1000, c.A));
    auto b = MakeEffect(*device, Constant(1000, c.B));
    a->Play(0);
    b->Play(0);
    for (int16_t v : Mix(*device, 100)) ASSERT_EQ(v, c.Sum);
  }
}

TEST(Mixer, DestroyedBufferLeavesTheMixAndBuffersMayOutliveTheDevice) {
  auto device = Offline();
  auto kept = MakeEffect(*device, Constant(10000, 8192));
  auto dropped = MakeEffect(*device, Constant(10000, 8192));
  kept->Play(0);
  dropped->Play(0);
  EXPECT_EQ(Mix(*device, 10)[0], 16384);
  dropped.reset();
  EXPECT_EQ(Mix(*device, 10)[0], 8192);
  device.reset();
  EXPECT_TRUE(kept->IsPlaying());
  kept->Stop();
  EXPECT_FALSE(kept->IsPlaying());
}

TEST(EffectBuffer, IsConvertedToTheOutputFormatKeepingDurationPitchAndLevel) {
  // The effects' own format, and one above the output's rate.
  for (const PcmFormat format : {PcmFormat{1, 22050, 16}, PcmFormat{2, 48000, 16}}) {
    SCOPED_TRACE(format.SamplesPerSec);
    auto device = Offline();
    const double rate = format.SamplesPerSec;
    auto effect = MakeEffect(*device, Sine(format.SamplesPerSec, format.Channels, 441.0, rate, 0.5), format);
    ASSERT_NE(effect, nullptr);
    effect->Play(0);
    const std::vector<int16_t> out = MixUntilStopped(*device, *effect);
    ASSERT_FALSE(effect->IsPlaying());
    EXPECT_NEAR(static_cast<double>(SoundingSpan(out, 300)), 44100.0, 441.0);  // one second
    EXPECT_NEAR(static_cast<double>(RisingZeroCrossings(out, 4410, 39690)), 441.0 * 0.8, 3.0);
    for (size_t f = 0; f < out.size() / 2; ++f) ASSERT_EQ(out[2 * f], out[2 * f + 1]) << "both channels, frame " << f;
    EXPECT_NEAR(Peak(out), 16384, 330);
  }

  // 8-bit samples are unsigned; a mono one reaches both channels.
  auto device = Offline();
  const std::vector<uint8_t> bytes{128, 255, 0, 192};
  std::unique_ptr<SoundBuffer> effect = device->CreateSoundBuffer(PcmFormat{1, 44100, 8}, bytes);
  ASSERT_NE(effect, nullptr);
  effect->Play(0);
  const std::vector<int16_t> expected{0, 0, 32512, 32512, -32768, -32768, 16384, 16384, 0, 0};
  const auto out = Mix(*device, 5);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(out[i], expected[i], 1) << i;  // SDL scales by 32767
}

TEST(Mixer, WithoutTheFocusTheOutputIsSilentWhileEverythingPlaysOnUnheard) {
  auto device = Offline();
  Mixer& mixer = device->GetMixer();
  constexpr uint32_t ringFrames = 44100;
  const auto ring = Ramp(ringFrames * Channels);
  auto music = MakeStream(*device, ring);
  music->SetVolume(-600);
  music->Play(platform::SoundPlayLooping);
  auto effect = MakeEffect(*device, Constant(4410, 1000));
  effect->SetVolume(-300);
  const float musicGain = VolumeToGain(-600);
  uint64_t mixed = 0;
  // What the music alone sounds like from where it has got to.
  auto expectMusic = [&](const std::vector<int16_t>& out, size_t fromFrame) {
    for (size_t f = fromFrame; f < out.size() / Channels; ++f)
      for (size_t c = 0; c < Channels; ++c) {
        const int16_t expected = Scaled(ring[((mixed + f) % ringFrames) * Channels + c], musicGain);
        ASSERT_NEAR(out[f * Channels + c], expected, 1) << f;
      }
  };
  // With the focus kept, nothing changes.
  mixer.SetAudible(true);
  auto out = Mix(*device, 1000);
  expectMusic(out, 0);
  mixed += 1000;

  // Losing it: the output ramps down within a few milliseconds, far inside 50 ms, and stays
  // silent while the effect plays to its end and the music runs on; no volume changes.
  mixer.SetAudible(false);
  effect->Play(0);
  out = Mix(*device, ringFrames / 2);
  const uint32_t ramp = Mixer::RampFrames;
  for (size_t f = 0; f < ramp; ++f) {
    const float left = 1.0f - static_cast<float>(f + 1) / static_cast<float>(ramp);
    const int16_t expected = Scaled(Scaled(ring[((mixed + f) % ringFrames) * Channels], musicGain) +
                                        Scaled(1000, VolumeToGain(-300)),
                                    left);
    ASSERT_NEAR(out[f * Channels], expected, 2) << f;
  }
  EXPECT_TRUE(Silent(std::vector<int16_t>(out.begin() + ramp * Channels, out.end())));
  mixed += ringFrames / 2;
  EXPECT_FALSE(effect->IsPlaying());
  EXPECT_EQ(music->GetCurrentPosition(), mixed % ringFrames * OutputFormat.BlockAlign());
  EXPECT_EQ(VolumeOf(*music), -600);
  EXPECT_EQ(VolumeOf(*effect), -300);

  // Back in focus: the music ramps up again where the stream has got to.
  mixer.SetAudible(true);
  out = Mix(*device, ringFrames);
  for (size_t f = 0; f < ramp; ++f) {
    const float gain = static_cast<float>(f + 1) / static_cast<float>(ramp);
    ASSERT_NEAR(out[f * Channels], Scaled(Scaled(ring[((mixed + f) % ringFrames) * Channels], musicGain), gain), 2);
  }
  expectMusic(out, ramp);
}

TEST(SoundDevice, RefusesBuffersItCannotMake) {
  auto device = Offline();
  struct Case {
    const char* Name;
    PcmFormat Format;
    size_t Bytes;
  };
  const Case effects[] = {
      {"no data", EffectFormat, 0},
      {"less than a frame", {2, 22050, 16}, 3},
      {"no channels", {0, 22050, 16}, 100},
      {"24-bit", {1, 22050, 24}, 99},
      {"no rate", {2, 0, 16}, 100},
  };
  for (const Case& c : effects) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(device->CreateSoundBuffer(c.Format, std::vector<uint8_t>(c.Bytes)), nullptr);
  }
  for (const uint32_t bytes : {0u, 1002u, platform::SoundBufferMaxBytes + 1}) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(device->CreateSoundBuffer(bytes), nullptr);
  }
}
