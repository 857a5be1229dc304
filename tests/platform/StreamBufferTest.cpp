// The streaming buffer driven through the mixer without a device: the cycling play cursor,
// Lock across the end of the ring, refilling halves behind the cursor, rate conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::SoundOk;

namespace {

constexpr uint32_t FourSeconds = 4 * 44100 * 4;

std::unique_ptr<SoundBuffer> MakeStream(SoundDevice& device, const std::vector<int16_t>& samples) {
  return MakeBuffer(device, SoundBufferKind::Stream, MusicFormat, samples);
}

// Left sample of ring frame f in a Ramp ring.
int16_t RampAt(size_t frame) { return static_cast<int16_t>((frame * 2) % 30000); }

}  // namespace

TEST(StreamBuffer, CursorAdvancesWithPlaybackAndWraps) {
  auto device = Offline(44100, 2);  // the stream's own rate: output must equal the ring
  const auto ring = Ramp(FourSeconds / 2);
  auto music = MakeStream(*device, ring);
  ASSERT_EQ(music->Play(platform::SoundPlayLooping), SoundOk);
  EXPECT_EQ(Cursor(*music), 0u);

  uint32_t play = 0, write = 0;
  auto out = MixInt16(*device, 44100);
  ASSERT_EQ(music->GetCurrentPosition(&play, &write), SoundOk);
  const uint32_t oneSecond = 44100 * 4;
  EXPECT_GE(play, oneSecond);
  EXPECT_LT(play, oneSecond + 4096 * 4);  // the mixer reads only a little ahead
  EXPECT_EQ(play % 4, 0u);
  EXPECT_GT((write + FourSeconds - play) % FourSeconds, 0u);  // the write cursor leads

  // 3.5 s more: the cursor passes the end of the ring and starts over.
  const auto more = MixInt16(*device, 44100 * 7 / 2);
  out.insert(out.end(), more.begin(), more.end());
  play = Cursor(*music);
  EXPECT_GE(play, oneSecond / 2);
  EXPECT_LT(play, oneSecond / 2 + 4096 * 4);
  for (size_t f = 0; f < out.size() / 2; ++f) {
    ASSERT_EQ(out[2 * f], ring[(2 * f) % ring.size()]) << f;
    ASSERT_EQ(out[2 * f + 1], ring[(2 * f + 1) % ring.size()]) << f;
  }
}

TEST(StreamBuffer, LockAcrossTheEndHandsBackTwoRegions) {
  auto device = Offline(44100, 2);
  auto music = MakeStream(*device, Ramp(FourSeconds / 2));
  const uint32_t size = music->Bytes();
  ASSERT_EQ(size, FourSeconds);

  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  ASSERT_EQ(music->Lock(size - 400, 1000, &p1, &n1, &p2, &n2), SoundOk);
  EXPECT_EQ(n1, 400u);
  EXPECT_EQ(n2, 600u);
  ASSERT_NE(p2, nullptr);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), size - 400);
  std::fill_n(static_cast<int16_t*>(p1), n1 / 2, int16_t{-7});
  std::fill_n(static_cast<int16_t*>(p2), n2 / 2, int16_t{9});
  ASSERT_EQ(music->Unlock(p1, n1, p2, n2), SoundOk);

  ASSERT_EQ(music->Lock(0, size, &p1, &n1, &p2, &n2), SoundOk);
  EXPECT_EQ(n1, size);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);
  EXPECT_EQ(music->Unlock(p1, n1, nullptr, 0), SoundOk);

  const int invalid = platform::SoundErrInvalidParam;
  EXPECT_EQ(music->Lock(size, 4, &p1, &n1, &p2, &n2), invalid);
  EXPECT_EQ(music->Lock(0, size + 4, &p1, &n1, &p2, &n2), invalid);
  EXPECT_EQ(music->Lock(size - 4, 8, &p1, &n1, nullptr, nullptr), invalid);  // wraps, no room
  EXPECT_EQ(music->Unlock(static_cast<uint8_t*>(p1) + size - 4, 8, nullptr, 0), invalid);

  // Both regions reach the output, in ring order.
  music->Play(platform::SoundPlayLooping);
  MixInt16(*device, FourSeconds / 4 - 100);
  const auto out = MixInt16(*device, 350);
  for (size_t f = 0; f < 350; ++f) {
    const int16_t expected = f < 100 ? -7 : f < 250 ? 9 : RampAt(f - 100);
    ASSERT_EQ(out[2 * f], expected) << f;
  }
}

TEST(StreamBuffer, RefillingTheHalfBehindTheCursorPlaysSeamlessly) {
  // The music's way of streaming: fill the half the cursor has left, two halves a cycle.
  auto device = Offline(44100, 2);
  const uint32_t size = 44100 * 4;  // one second
  const uint32_t half = size / 2;
  const size_t halfFrames = half / 4;
  auto music = MakeStream(*device, Constant(size / 2, 0));
  size_t written = 0;  // frames of the endless counter written so far
  auto fill = [&](uint32_t offset) {
    std::vector<int16_t> part(halfFrames * 2);
    for (size_t f = 0; f < halfFrames; ++f)
      part[2 * f] = part[2 * f + 1] = static_cast<int16_t>((written + f) % 20000);
    written += halfFrames;
    Write(*music, offset, part);
  };
  fill(0);
  fill(half);
  music->Play(platform::SoundPlayLooping);

  bool lowerDue = true;  // after priming, the first half is refilled first
  std::vector<int16_t> out;
  for (int block = 0; block < 250; ++block) {
    const auto part = MixInt16(*device, 1000);
    out.insert(out.end(), part.begin(), part.end());
    const uint32_t play = Cursor(*music);
    if (lowerDue && play >= half) {
      fill(0);
      lowerDue = false;
    } else if (!lowerDue && play < half) {
      fill(half);
      lowerDue = true;
    }
  }
  ASSERT_GE(written, 250000u);
  for (size_t f = 0; f < out.size() / 2; ++f) ASSERT_EQ(out[2 * f], static_cast<int16_t>(f % 20000)) << f;
}

TEST(StreamBuffer, RateConversionKeepsTimeAndJoinsFeedsSeamlessly) {
  // 441 Hz fits the four-second ring exactly, so a clean conversion has no step anywhere.
  auto device = Offline(48000, 2);
  auto music = MakeStream(*device, Sine(FourSeconds / 4, 2, 441.0, 44100.0, 0.5));
  music->Play(platform::SoundPlayLooping);
  std::vector<float> out;
  for (int block = 0; block < 500; ++block) {  // 5 s in uneven callback sizes
    const auto part = MixFloat(*device, block % 2 ? 512 : 448);
    out.insert(out.end(), part.begin(), part.end());
  }
  const uint32_t consumed = 240000u * 44100u / 48000u * 4u;  // 5 s of ring bytes
  const uint32_t play = Cursor(*music);
  const uint32_t expected = consumed % FourSeconds;
  EXPECT_GE(play, expected);
  EXPECT_LT(play, expected + 4096 * 4);

  const double pi = std::acos(-1.0);
  const double maxStep = 0.5 * 2.0 * pi * 441.0 / 48000.0;
  const size_t frames = out.size() / 2;
  size_t crossings = 0;
  for (size_t f = 2400; f < frames; ++f) {  // past the converter's start-up delay
    ASSERT_LT(std::fabs(out[2 * f] - out[2 * f - 2]), maxStep * 1.1) << f;
    if (out[2 * f - 2] < 0.0f && out[2 * f] >= 0.0f) ++crossings;
  }
  EXPECT_NEAR(static_cast<double>(crossings), 441.0 * static_cast<double>(frames - 2400) / 48000.0, 2.0);
}

// Converted to another rate, or read in place at its own.
TEST(StreamBuffer, WithoutLoopingPlaysTheRingOnceAndStops) {
  for (const uint32_t rate : {48000u, 44100u}) {
    SCOPED_TRACE(rate);
    auto device = Offline(rate, 2);
    auto music = MakeStream(*device, Constant(44100 * 2, 16384));  // one second
    music->Play(0);
    std::vector<float> out;
    for (int block = 0; block < 200 && (block == 0 || music->IsPlaying()); ++block) {
      const auto part = MixFloat(*device, 1024);
      out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_FALSE(music->IsPlaying());
    EXPECT_EQ(Cursor(*music), 0u);
    size_t sounding = 0;
    for (size_t f = 0; f < out.size() / 2; ++f) sounding += out[2 * f] > 0.25f;
    EXPECT_NEAR(static_cast<double>(sounding), static_cast<double>(rate), 100.0);
  }
}

// In the output's own format the ring is read in place: one shorter than a mixing block
// cycles several times within it.
TEST(StreamBuffer, RingShorterThanABlockCyclesWithinIt) {
  auto device = Offline(44100, 2);
  const auto ring = Ramp(2 * 700);
  auto music = MakeStream(*device, ring);
  music->Play(platform::SoundPlayLooping);
  const auto out = MixInt16(*device, 5000);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], ring[i % ring.size()]) << i;
}

TEST(StreamBuffer, StopPausesAndPlayGoesOnFromThere) {
  auto device = Offline(44100, 2);
  const auto ring = Ramp(FourSeconds / 2);
  auto music = MakeStream(*device, ring);
  music->SetVolume(-600);
  music->Play(platform::SoundPlayLooping);
  MixInt16(*device, 5000);
  ASSERT_EQ(music->Stop(), SoundOk);
  const uint32_t stoppedAt = Cursor(*music);
  for (int16_t v : MixInt16(*device, 3000)) ASSERT_EQ(v, 0);
  EXPECT_EQ(Cursor(*music), stoppedAt);
  music->SetVolume(0);
  music->Play(platform::SoundPlayLooping);
  const auto out = MixInt16(*device, 100);
  for (size_t f = 0; f < 100; ++f) ASSERT_EQ(out[2 * f], RampAt(5000 + f)) << f;
  EXPECT_GT(Cursor(*music), stoppedAt);
}
