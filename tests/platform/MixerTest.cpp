// The mixer driven frame by frame, without an audio device: volumes, play once, stop,
// repeated requests, summing with clipping and conversion of the effects' format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/Mixer.h"
#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::SoundOk;
using platform::VolumeToGain;

namespace {

constexpr float FromInt16(int v) { return static_cast<float>(v) / 32768.0f; }

size_t RisingZeroCrossings(const std::vector<float>& out, uint16_t channels, size_t from, size_t to) {
  size_t count = 0;
  for (size_t f = from + 1; f < to; ++f)
    if (out[(f - 1) * channels] < 0.0f && out[f * channels] >= 0.0f) ++count;
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
  auto device = Offline(22050, 1);  // the effects' own format: no resampling in the way
  auto effect = MakeEffect(*device, Constant(4000, 16384));
  for (int32_t volume : {0, -600, -2000, -10000}) {
    SCOPED_TRACE(volume);
    ASSERT_EQ(effect->SetVolume(volume), SoundOk);
    ASSERT_EQ(effect->Play(0), SoundOk);
    for (float v : MixFloat(*device, 200)) ASSERT_NEAR(v, 0.5f * VolumeToGain(volume), 1e-6f);
    ASSERT_EQ(effect->Stop(), SoundOk);
  }
  // Out of range is refused and changes nothing.
  EXPECT_EQ(effect->SetVolume(300), platform::SoundErrInvalidParam);
  EXPECT_EQ(effect->SetVolume(-10001), platform::SoundErrInvalidParam);
  int32_t volume = 1;
  ASSERT_EQ(effect->GetVolume(&volume), SoundOk);
  EXPECT_EQ(volume, -10000);
}

TEST(EffectBuffer, VolumeChangeWhileSoundingGlidesWithinABlock) {
  auto device = Offline(22050, 1);
  auto effect = MakeEffect(*device, Constant(4000, 16384));
  effect->Play(0);
  MixFloat(*device, 100);
  effect->SetVolume(platform::VolumeMin);
  const auto glide = MixFloat(*device, 100);
  EXPECT_GT(glide.front(), 0.45f);  // no sudden drop: that would click
  EXPECT_EQ(glide.back(), 0.0f);
  for (size_t i = 1; i < glide.size(); ++i) ASSERT_LE(glide[i], glide[i - 1]);
  for (float v : MixFloat(*device, 100)) ASSERT_EQ(v, 0.0f);
  EXPECT_TRUE(effect->IsPlaying());  // silenced, not stopped
}

TEST(EffectBuffer, PlaysOnceToItsEndAndThenFromTheStartAgain) {
  auto device = Offline(22050, 1);
  const auto samples = Ramp(1000);
  auto effect = MakeEffect(*device, samples);
  EXPECT_FALSE(effect->IsPlaying());
  for (float v : MixFloat(*device, 50)) ASSERT_EQ(v, 0.0f);  // nothing before a request

  ASSERT_EQ(effect->Play(0), SoundOk);
  EXPECT_TRUE(effect->IsPlaying());
  auto out = MixFloat(*device, 300);
  uint32_t play = 0, write = 0;
  ASSERT_EQ(effect->GetCurrentPosition(&play, &write), SoundOk);
  EXPECT_EQ(play, 600u);  // 300 frames of 2 bytes
  out = MixFloat(*device, 1200);
  for (size_t k = 0; k < 700; ++k) ASSERT_EQ(out[k], FromInt16(samples[300 + k])) << k;
  for (size_t k = 700; k < 1200; ++k) ASSERT_EQ(out[k], 0.0f) << k;
  EXPECT_FALSE(effect->IsPlaying());
  effect->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);

  effect->Play(0);
  out = MixFloat(*device, 10);
  for (size_t k = 0; k < 10; ++k) EXPECT_EQ(out[k], FromInt16(samples[k]));
}

TEST(EffectBuffer, RepeatedRequestNeitherRestartsNorAddsAVoice) {
  auto device = Offline(22050, 1);
  const auto samples = Ramp(1000);
  auto effect = MakeEffect(*device, samples);
  effect->Play(0);
  MixFloat(*device, 600);
  effect->Play(0);
  effect->Play(0);
  const auto out = MixFloat(*device, 600);
  for (size_t k = 0; k < 400; ++k) ASSERT_EQ(out[k], FromInt16(samples[600 + k])) << k;
  for (size_t k = 400; k < 600; ++k) ASSERT_EQ(out[k], 0.0f) << k;
}

TEST(EffectBuffer, StopSilencesAndTheNextRequestStartsOver) {
  auto device = Offline(22050, 1);
  const auto samples = Ramp(1000);
  auto effect = MakeEffect(*device, samples);
  effect->Play(0);
  MixFloat(*device, 300);
  ASSERT_EQ(effect->Stop(), SoundOk);
  EXPECT_FALSE(effect->IsPlaying());
  for (float v : MixFloat(*device, 100)) ASSERT_EQ(v, 0.0f);
  effect->Play(0);
  const auto out = MixFloat(*device, 10);
  for (size_t k = 0; k < 10; ++k) EXPECT_EQ(out[k], FromInt16(samples[k]));
}

TEST(Mixer, SumsBuffersAndClipsTheSum) {
  auto device = Offline(22050, 1);
  auto quarterA = MakeEffect(*device, Constant(500, 8192));
  auto quarterB = MakeEffect(*device, Constant(500, 8192));
  quarterA->Play(0);
  quarterB->Play(0);
  for (float v : MixFloat(*device, 100)) ASSERT_EQ(v, 0.5f);

  auto loud = MakeEffect(*device, Constant(500, 24576));
  auto louder = MakeEffect(*device, Constant(500, 24576));
  loud->Play(0);
  louder->Play(0);  // 0.25 + 0.25 + 0.75 + 0.75
  for (float v : MixFloat(*device, 100)) ASSERT_EQ(v, 1.0f);
  for (int16_t v : MixInt16(*device, 100)) ASSERT_EQ(v, 32767);

  for (auto* effect : {&quarterA, &quarterB, &loud, &louder}) (*effect)->Stop();
  auto low = MakeEffect(*device, Constant(500, -30000));
  auto lower = MakeEffect(*device, Constant(500, -30000));
  low->Play(0);
  lower->Play(0);
  for (int16_t v : MixInt16(*device, 100)) ASSERT_EQ(v, -32768);
}

TEST(Mixer, DestroyedBufferLeavesTheMixAndBuffersMayOutliveTheDevice) {
  auto device = Offline(22050, 1);
  auto kept = MakeEffect(*device, Constant(5000, 8192));
  auto dropped = MakeEffect(*device, Constant(5000, 8192));
  kept->Play(0);
  dropped->Play(0);
  EXPECT_EQ(MixFloat(*device, 10)[0], 0.5f);
  dropped.reset();
  EXPECT_EQ(MixFloat(*device, 10)[0], 0.25f);
  device.reset();
  EXPECT_TRUE(kept->IsPlaying());
  EXPECT_EQ(kept->Stop(), SoundOk);
}

TEST(EffectBuffer, EffectRateConversionKeepsDurationAndPitch) {
  // One second of a 441 Hz tone at 22050 Hz mono, played on 48000 Hz stereo.
  auto device = Offline(48000, 2);
  auto effect = MakeEffect(*device, Sine(22050, 1, 441.0, 22050.0, 0.5));
  effect->Play(0);
  std::vector<float> out;
  for (int block = 0; block < 300 && (block == 0 || effect->IsPlaying()); ++block) {
    const auto part = MixFloat(*device, 480);
    out.insert(out.end(), part.begin(), part.end());
  }
  ASSERT_FALSE(effect->IsPlaying());
  const size_t span = SoundingSpan(out, 2, 0.01f);
  EXPECT_NEAR(static_cast<double>(span), 48000.0, 480.0);
  const size_t crossings = RisingZeroCrossings(out, 2, 4800, 43200);  // 0.8 s inside the tone
  EXPECT_NEAR(static_cast<double>(crossings), 441.0 * 0.8, 3.0);
  float peak = 0.0f;
  for (size_t f = 0; f < out.size() / 2; ++f) {
    ASSERT_EQ(out[2 * f], out[2 * f + 1]) << "mono reaches both channels";
    peak = std::max(peak, std::fabs(out[2 * f]));
  }
  EXPECT_NEAR(peak, 0.5f, 0.02f);
}

TEST(EffectBuffer, EightBitSamplesAreUnsigned) {
  auto device = Offline(11025, 1);
  const std::vector<uint8_t> bytes{128, 255, 0, 192};
  platform::SoundBufferDesc desc;
  desc.Format = {1, 11025, 8};
  desc.Bytes = 4;
  desc.Data = bytes.data();
  std::unique_ptr<platform::SoundBuffer> effect;
  ASSERT_EQ(device->CreateSoundBuffer(desc, effect), SoundOk);
  effect->Play(0);
  const auto out = MixFloat(*device, 5);
  // Effects are kept as 16-bit samples: within one step of those.
  constexpr float Step = 1.0f / 32768.0f;
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_NEAR(out[1], 127.0f / 128.0f, Step);
  EXPECT_EQ(out[2], -1.0f);
  EXPECT_NEAR(out[3], 0.5f, Step);
  EXPECT_EQ(out[4], 0.0f);
}

TEST(EffectBuffer, LockAndUnlockReplaceTheSound) {
  auto device = Offline(22050, 1);
  platform::SoundBufferDesc desc;
  desc.Format = EffectFormat;
  desc.Bytes = 2000;  // no initial data: silent until written
  std::unique_ptr<platform::SoundBuffer> effect;
  ASSERT_EQ(device->CreateSoundBuffer(desc, effect), SoundOk);
  effect->Play(0);
  for (float v : MixFloat(*device, 1000)) ASSERT_EQ(v, 0.0f);
  const auto samples = Ramp(1000);
  Write(*effect, 0, samples);
  effect->Play(0);
  const auto out = MixFloat(*device, 1000);
  for (size_t k = 0; k < 1000; ++k) ASSERT_EQ(out[k], FromInt16(samples[k])) << k;
}

TEST(SoundDevice, RefusesBuffersItCannotMake) {
  auto device = Offline(44100, 2);
  auto attempt = [&](platform::SoundBufferKind kind, PcmFormat format, uint32_t bytes) {
    platform::SoundBufferDesc desc{kind, bytes, format, nullptr};
    std::unique_ptr<platform::SoundBuffer> buffer;
    const int result = device->CreateSoundBuffer(desc, buffer);
    EXPECT_EQ(buffer, nullptr);
    return result;
  };
  using K = platform::SoundBufferKind;
  EXPECT_EQ(attempt(K::Static, EffectFormat, 0), platform::SoundErrInvalidParam);
  EXPECT_EQ(attempt(K::Static, EffectFormat, platform::SoundBufferMaxBytes + 1), platform::SoundErrInvalidParam);
  EXPECT_EQ(attempt(K::Static, {0, 22050, 16}, 100), platform::SoundErrBadFormat);
  EXPECT_EQ(attempt(K::Static, {1, 22050, 24}, 99), platform::SoundErrBadFormat);
  EXPECT_EQ(attempt(K::Stream, {2, 0, 16}, 100), platform::SoundErrBadFormat);
  EXPECT_EQ(attempt(K::Stream, MusicFormat, 1002), platform::SoundErrInvalidParam);  // part of a frame
}
