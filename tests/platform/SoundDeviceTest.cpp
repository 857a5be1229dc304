// The real SDL audio device, headless: the dummy driver opens, a missing driver is a result
// code, and the disk driver's output file carries what was played.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::SoundOk;

TEST(SoundDevice, OpensTheDummyOutput) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  std::unique_ptr<SoundDevice> device = SoundDevice::Create();
  ASSERT_NE(device, nullptr);

  auto effect = MakeEffect(*device, Sine(2205, 1, 441.0, 22050.0, 0.5), EffectFormat);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->SetVolume(-1500), SoundOk);
  EXPECT_EQ(effect->Play(0), SoundOk);
  effect->Stop();

  // Some drivers have room for one device only: a second one opens or is a plain refusal,
  // and either way the first one goes on.
  SoundDevice::Create().reset();
  EXPECT_EQ(effect->Play(0), SoundOk);
  EXPECT_TRUE(effect->IsPlaying());
}

TEST(SoundDevice, MissingDriverIsAResultNotACrash) {
  {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_EQ(SoundDevice::Create(), nullptr);
  }
  // The failed attempt leaves nothing behind that would stop a later one.
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  EXPECT_NE(SoundDevice::Create(), nullptr);
}

TEST(SoundDevice, DiskOutputCarriesThePlayedEffectInTheGamesOwnFormat) {
  const std::string path = ::testing::TempDir() + "huebloc-sound-" + std::to_string(getpid()) + ".raw";
  std::remove(path.c_str());
  {
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", path.c_str());
    ScopedEnv pace("SDL_DISKAUDIODELAY", "1");  // far faster than real time
    std::unique_ptr<SoundDevice> device = SoundDevice::Create();
    ASSERT_NE(device, nullptr);
    // 110 whole periods of 441 Hz (a quarter of a second) at half scale, 6 dB down.
    auto tone = MakeEffect(*device, Sine(5500, 1, 441.0, 22050.0, 0.5), EffectFormat);
    tone->SetVolume(-600);
    const uint64_t before = device->GetMixer().FramesMixed();
    ASSERT_EQ(tone->Play(0), SoundOk);
    ASSERT_TRUE(WaitUntil([&] {
      return !tone->IsPlaying() && device->GetMixer().FramesMixed() > before + OutputFormat.SamplesPerSec / 2;
    })) << "the audio thread made no progress";
  }  // closing the device ends its output file

  // The disk driver writes what the callback made, as it made it: 16-bit stereo at 44100 Hz.
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  std::vector<int16_t> samples(raw.size() / sizeof(int16_t));
  std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(int16_t));
  ASSERT_GT(samples.size(), size_t{OutputFormat.SamplesPerSec} * Channels / 2);
  const size_t span = SoundingSpan(samples, 300);
  ASSERT_GT(span, 0u) << "the output is silence";
  EXPECT_NEAR(static_cast<double>(span), 44100.0 / 4, 44100 * 0.005);
  EXPECT_NEAR(Peak(samples), 8192, 200);
}
