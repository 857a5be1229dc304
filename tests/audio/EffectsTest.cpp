// The effects and PlayAudio on a device without output, mixed by the test: volume levels,
// stopping, repeated requests, damaged wave data, and which index reaches which sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "audio/PlayAudio.h"
#include "audio/Sound.h"
#include "resources/sounds/WaveFile.h"
#include "tests/audio/MusicFiles.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using musictest::TempDir;

namespace {

constexpr uint32_t EffectRate = 22050;

// All of an effect as it is heard from a request at full level to its end.
std::vector<int16_t> HeardWhole(SoundDevice& device, TSound& effect) {
  effect.Play(10, 0);
  return MixUntilStopped(device, *effect.Buffer);
}

}  // namespace

TEST(Effect, LevelSetsVolumeThreeDecibelsAStepAndAboveTenIsFull) {
  struct Case {
    int Level;
    int32_t Volume;
  };
  // 11..15 only come from an edited store: full volume, never above the sound layer's range.
  const Case cases[] = {{10, 0}, {9, -300}, {5, -1500}, {1, -2700}, {11, 0}, {15, 0}};
  auto device = Offline();
  TSound reference(*device, "ID_PLAYUP");
  ASSERT_TRUE(reference.Buffer);
  const int fullPeak = Peak(HeardWhole(*device, reference));
  ASSERT_GT(fullPeak, 1500);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.Level);
    TSound effect(*device, "ID_PLAYUP");
    effect.Buffer->SetVolume(-5000);  // a volume out of range would be refused, leaving this
    effect.Play(c.Level, 0);
    EXPECT_TRUE(effect.Buffer->IsPlaying());
    EXPECT_EQ(VolumeOf(*effect.Buffer), c.Volume);
    const double expected = fullPeak * std::pow(10.0, c.Volume / 2000.0);
    EXPECT_NEAR(Peak(Mix(*device, 44100 * 2)), expected, expected * 0.01 + 1);
  }
}

TEST(Effect, LevelZeroStopsASoundingEffect) {
  auto device = Offline();
  TSound effect(*device, "ID_PLAYLEVEL");
  effect.Play(8, 0);
  EXPECT_GT(Peak(Mix(*device, 4410)), 0);
  effect.Play(0, 0);
  EXPECT_FALSE(effect.Buffer->IsPlaying());
  EXPECT_TRUE(Silent(Mix(*device, 44100)));
}

TEST(Effect, ARequestWhileSoundingIsHeardOnce) {
  auto device = Offline();
  TSound effect(*device, "ID_PLAYMOVE");
  const std::vector<int16_t> once = HeardWhole(*device, effect);
  ASSERT_GT(once.size(), 4000u * Channels);

  effect.Play(10, 0);
  std::vector<int16_t> out = Mix(*device, 1000);
  effect.Play(10, 0);  // neither restarts nor adds a second voice
  const std::vector<int16_t> rest = Mix(*device, once.size() / Channels);
  out.insert(out.end(), rest.begin(), rest.end());
  EXPECT_TRUE(std::equal(once.begin(), once.end(), out.begin()));
  EXPECT_TRUE(Silent(std::vector<int16_t>(out.begin() + static_cast<std::ptrdiff_t>(once.size()), out.end())));
}

TEST(Effect, DamagedWaveDataGivesASilentEffectWithoutReadingPastTheEnd) {
  const std::vector<int16_t> samples = Sine(500, 1, 440, EffectRate, 0.5);
  const std::vector<uint8_t> good = sounds::MakeWaveFile(samples, EffectRate, 1);
  auto put32 = [](std::vector<uint8_t>& w, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) w.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
  };
  // A format chunk of `size` bytes: the 16 of PCM, then zeros, then a pad byte if odd.
  auto withFormatSize = [&](uint32_t size) {
    std::vector<uint8_t> w(good.begin(), good.begin() + 36);
    w.insert(w.end(), size - 16 + (size & 1), 0);
    put32(w, 16, size);
    w.insert(w.end(), good.begin() + 36, good.end());
    return w;
  };
  struct Case {
    const char* Name;
    std::vector<uint8_t> Wave;
    bool Sounds;
  };
  auto changed = [&](std::size_t at, uint32_t value, int bytes = 4) {
    std::vector<uint8_t> w = good;
    for (int i = 0; i < bytes; ++i) w.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    return w;
  };
  const Case cases[] = {
      {"canonical", good, true},
      {"format block with its extra-size field", withFormatSize(18), true},
      {"odd format block padded to even", withFormatSize(17), true},
      {"data chunk id not compared", changed(36, 0x6B6E756A), true},
      {"shorter than the format block", std::vector<uint8_t>(good.begin(), good.begin() + 19), false},
      {"ends after the format block", std::vector<uint8_t>(good.begin(), good.begin() + 40), false},
      {"format size past the end", changed(16, 0xFFFFFFF0), false},
      {"format size of all ones", changed(16, 0xFFFFFFFF), false},
      {"format size too small", changed(16, 8), false},
      {"data size past the end", changed(40, static_cast<uint32_t>(samples.size() * 2 + 2)), false},
      {"data size of all ones", changed(40, 0xFFFFFFFF), false},
      {"no data", changed(40, 0), false},
      {"not PCM", changed(20, 3, 2), false},
      {"no channels", changed(22, 0, 2), false},
      {"12-bit samples", changed(34, 12, 2), false},
  };
  auto device = Offline();
  TSound intact(*device, good);
  const std::vector<int16_t> heard = HeardWhole(*device, intact);
  ASSERT_GT(Peak(heard), 8000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // Exactly the file's bytes on the heap, so a read past them is caught by the sanitizer.
    const std::vector<uint8_t> wave = c.Wave;
    TSound effect(*device, std::span<const uint8_t>(wave.data(), wave.size()));
    EXPECT_EQ(effect.Buffer != nullptr, c.Sounds);
    effect.Play(10, 0);
    const std::vector<int16_t> out = Mix(*device, heard.size() / Channels);
    EXPECT_EQ(out, c.Sounds ? heard : std::vector<int16_t>(heard.size(), 0));
    effect.Stop();
  }
  TSound missing(*device, "ID_NOSUCHEFFECT");
  EXPECT_EQ(missing.Buffer, nullptr);
  missing.Play(10, 0);
}

TEST(PlayAudio, EffectIndicesReachOnlyTheirEffectAndTenOnlyTheMusic) {
  TempDir folder;
  musictest::WriteFile(folder.Root / "Music.ogg", musictest::ToneFile(0.5, OutputFormat.SamplesPerSec));
  TAudio audio(Offline(), "", {folder.Root.string()});
  ASSERT_EQ(audio.SoundAvailable, 1);
  ASSERT_EQ(audio.MusicAvailable, 1);
  SoundBuffer& music = *audio.Music->Thread->Buffer;

  for (int index = 0; index < TAudio::EffectCount; ++index) {
    SCOPED_TRACE(index);
    ASSERT_TRUE(audio.Sounds[index]->Buffer);
    // The effects in index order: each sounds as its own resource does.
    TSound alone(*audio.DirectSound, TAudio::EffectResources[index]);
    const std::vector<int16_t> expected = HeardWhole(*audio.DirectSound, alone);
    audio.PlayAudio(index, 10, 3);
    EXPECT_EQ(Mix(*audio.DirectSound, expected.size() / Channels), expected);

    audio.PlayAudio(index, 7, 3);
    for (int other = 0; other < TAudio::EffectCount; ++other) {
      SoundBuffer& effect = *audio.Sounds[other]->Buffer;
      EXPECT_EQ(effect.IsPlaying(), other == index) << other;
      EXPECT_EQ(VolumeOf(effect), other == index ? -900 : 0) << other;
    }
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(VolumeOf(music), 0);
    audio.Sounds[index]->Buffer->Stop();
    audio.Sounds[index]->Buffer->SetVolume(0);
  }

  auto effectsUntouched = [&] {
    for (auto& sound : audio.Sounds)
      if (sound->Buffer->IsPlaying() || VolumeOf(*sound->Buffer) != 0) return false;
    return true;
  };
  audio.PlayAudio(TAudio::MusicIndex, 8, 0);  // music level 0: muted, not started
  EXPECT_EQ(VolumeOf(music), platform::VolumeMin);
  EXPECT_FALSE(music.IsPlaying());
  audio.PlayAudio(TAudio::MusicIndex, 8, 4);
  EXPECT_EQ(VolumeOf(music), -1800);
  EXPECT_TRUE(music.IsPlaying());
  EXPECT_TRUE(audio.Music->Thread->Loop);
  EXPECT_TRUE(effectsUntouched());

  audio.PlayAudio(-1, 10, 10);
  audio.PlayAudio(11, 10, 10);
  EXPECT_TRUE(effectsUntouched());
  EXPECT_EQ(VolumeOf(music), -1800);
}

TEST(PlayAudio, WithoutDeviceOrMusicFileTheRestIsSilentlyOff) {
  TempDir empty;
  musictest::ScopedCwd cwd(empty.Root);
  {
    TAudio audio(nullptr, empty.Root.string());
    EXPECT_EQ(audio.SoundAvailable, 0);
    EXPECT_EQ(audio.MusicAvailable, 0);
    EXPECT_EQ(audio.Music, nullptr);
    for (const auto& sound : audio.Sounds) EXPECT_EQ(sound, nullptr);
    for (int index = -1; index <= 11; ++index) audio.PlayAudio(index, 10, 10);
  }
  TAudio audio(Offline(), empty.Root.string());
  EXPECT_EQ(audio.SoundAvailable, 1);
  EXPECT_EQ(audio.MusicAvailable, 0);
  audio.PlayAudio(TAudio::MusicIndex, 10, 10);
  EXPECT_FALSE(audio.Music->Thread->Started);
  audio.PlayAudio(0, 10, 10);
  EXPECT_TRUE(audio.Sounds[0]->Buffer->IsPlaying());
}
