// The streaming buffer driven through the mixer without a device: the cycling play cursor,
// Lock across the end of the ring, refilling halves behind the cursor, the looping seam.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::SoundOk;

namespace {

constexpr uint32_t FrameBytes = OutputFormat.BlockAlign();
constexpr uint32_t FourSeconds = 4 * OutputFormat.AvgBytesPerSec();

// Left sample of ring frame f in a Ramp ring.
int16_t RampAt(size_t frame) { return static_cast<int16_t>((frame * 2) % 30000); }

}  // namespace

TEST(StreamBuffer, CursorAdvancesWithPlaybackAndWraps) {
  auto device = Offline();
  const auto ring = Ramp(FourSeconds / 2);
  auto music = MakeStream(*device, ring);
  ASSERT_EQ(music->Play(platform::SoundPlayLooping), SoundOk);
  EXPECT_EQ(music->GetCurrentPosition(), 0u);

  auto out = Mix(*device, 44100);
  EXPECT_EQ(music->GetCurrentPosition(), 44100 * FrameBytes);
  // 3.5 s more: the cursor passes the end of the ring and starts over.
  const auto more = Mix(*device, 44100 * 7 / 2);
  out.insert(out.end(), more.begin(), more.end());
  EXPECT_EQ(music->GetCurrentPosition(), 44100 / 2 * FrameBytes);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], ring[i % ring.size()]) << i;
}

TEST(StreamBuffer, LockAcrossTheEndHandsBackTwoRegions) {
  auto device = Offline();
  auto music = MakeStream(*device, Ramp(FourSeconds / 2));
  const uint32_t size = music->Bytes();
  ASSERT_EQ(size, FourSeconds);

  std::span<uint8_t> p1, p2;
  ASSERT_EQ(music->Lock(size - 400, 1000, p1, p2), SoundOk);
  EXPECT_EQ(p1.size(), 400u);
  EXPECT_EQ(p2.size(), 600u);
  EXPECT_EQ(p1.data() - p2.data(), size - 400);
  std::fill_n(reinterpret_cast<int16_t*>(p1.data()), p1.size() / 2, int16_t{-7});
  std::fill_n(reinterpret_cast<int16_t*>(p2.data()), p2.size() / 2, int16_t{9});
  music->Unlock();

  ASSERT_EQ(music->Lock(0, size, p1, p2), SoundOk);
  EXPECT_EQ(p1.size(), size);
  EXPECT_TRUE(p2.empty());
  music->Unlock();

  const int invalid = platform::SoundErrInvalidParam;
  EXPECT_EQ(music->Lock(size, 4, p1, p2), invalid);
  EXPECT_EQ(music->Lock(0, size + 4, p1, p2), invalid);
  EXPECT_EQ(music->Lock(0, 0, p1, p2), invalid);

  // Both regions reach the output, in ring order.
  music->Play(platform::SoundPlayLooping);
  Mix(*device, FourSeconds / FrameBytes - 100);
  const auto out = Mix(*device, 350);
  for (size_t f = 0; f < 350; ++f) {
    const int16_t expected = f < 100 ? -7 : f < 250 ? 9 : RampAt(f - 100);
    ASSERT_EQ(out[2 * f], expected) << f;
  }
}

TEST(StreamBuffer, RefillingTheHalfBehindTheCursorPlaysSeamlessly) {
  // The music's way of streaming: fill the half the cursor has left, two halves a cycle.
  auto device = Offline();
  const uint32_t size = OutputFormat.AvgBytesPerSec();  // one second
  const uint32_t half = size / 2;
  const size_t halfFrames = half / FrameBytes;
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
    const auto part = Mix(*device, 1000);
    out.insert(out.end(), part.begin(), part.end());
    const uint32_t play = music->GetCurrentPosition();
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

// A ring shorter than a mixing block cycles several times within it, without a seam.
TEST(StreamBuffer, RingShorterThanABlockCyclesWithinIt) {
  auto device = Offline();
  const auto ring = Ramp(2 * 700);
  auto music = MakeStream(*device, ring);
  music->Play(platform::SoundPlayLooping);
  const auto out = Mix(*device, 5000);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], ring[i % ring.size()]) << i;
}
