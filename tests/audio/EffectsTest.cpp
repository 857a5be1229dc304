// The effects and PlayAudio on a device without output, mixed by the test: volume levels,
// stopping, repeated requests, damaged wave data, and which index reaches which sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/PlayAudio.h"
#include "audio/Sound.h"
#include "platform/Resources.h"
#include "resources/sounds/WaveFile.h"
#include "tests/audio/MusicFiles.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using musictest::TempDir;

namespace {

constexpr uint32_t EffectRate = 22050;

// The samples of an embedded effect (canonical 44-byte header).
std::vector<int16_t> EffectSamples(const char* resource) {
  const auto wave = platform::FindResource(resource);
  EXPECT_TRUE(wave.has_value()) << resource;
  if (!wave) return {};
  std::vector<int16_t> samples((wave->size() - 44) / 2);
  std::memcpy(samples.data(), wave->data() + 44, samples.size() * 2);
  return samples;
}

float Peak(const std::vector<float>& out) {
  float peak = 0;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  return peak;
}

int32_t VolumeOf(const SoundBuffer& buffer) {
  int32_t volume = 1;
  EXPECT_EQ(buffer.GetVolume(&volume), platform::SoundOk);
  return volume;
}

}  // namespace

TEST(Effect, LevelSetsVolumeThreeDecibelsAStepAndAboveTenIsFull) {
  struct Case {
    int Level;
    int32_t Volume;
  };
  // 11..15 only come from an edited store: full volume, never above the sound layer's range.
  const Case cases[] = {{10, 0}, {9, -300}, {5, -1500}, {1, -2700}, {11, 0}, {15, 0}};
  auto device = Offline(EffectRate, 1);
  TSound reference(*device, "ID_PLAYUP");
  ASSERT_TRUE(reference.Buffer);
  reference.Play(10, 0);
  const float fullPeak = Peak(MixFloat(*device, EffectRate));
  ASSERT_GT(fullPeak, 0.05f);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.Level);
    TSound effect(*device, "ID_PLAYUP");
    effect.Buffer->SetVolume(-5000);  // a volume out of range would be refused, leaving this
    effect.Play(c.Level, 0);
    EXPECT_TRUE(effect.Buffer->IsPlaying());
    EXPECT_EQ(VolumeOf(*effect.Buffer), c.Volume);
    const float expected = fullPeak * std::pow(10.0f, static_cast<float>(c.Volume) / 2000.0f);
    EXPECT_NEAR(Peak(MixFloat(*device, EffectRate)), expected, expected * 0.02f);
  }
}

TEST(Effect, LevelZeroStopsASoundingEffect) {
  auto device = Offline(EffectRate, 1);
  TSound effect(*device, "ID_PLAYLEVEL");
  effect.Play(8, 0);
  EXPECT_GT(Peak(MixFloat(*device, EffectRate / 10)), 0.0f);
  effect.Play(0, 0);
  EXPECT_FALSE(effect.Buffer->IsPlaying());
  EXPECT_EQ(Peak(MixFloat(*device, EffectRate)), 0.0f);
}

TEST(Effect, ARequestWhileSoundingIsHeardOnce) {
  auto device = Offline(EffectRate, 1);  // the effects' own format: the output is their samples
  TSound effect(*device, "ID_PLAYMOVE");
  const std::vector<int16_t> samples = EffectSamples("ID_PLAYMOVE");
  ASSERT_GT(samples.size(), 2000u);

  effect.Play(10, 0);
  std::vector<int16_t> out = MixInt16(*device, 1000);
  effect.Play(10, 0);  // neither restarts nor adds a second voice
  const std::vector<int16_t> rest = MixInt16(*device, samples.size());
  out.insert(out.end(), rest.begin(), rest.end());

  ASSERT_EQ(out.size(), samples.size() + 1000);
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));
  EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(samples.size()), out.end(),
                          [](int16_t v) { return v == 0; }));
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
  auto device = Offline(EffectRate, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // Exactly the file's bytes on the heap, so a read past them is caught by the sanitizer.
    const std::vector<uint8_t> wave = c.Wave;
    TSound effect(*device, std::span<const uint8_t>(wave.data(), wave.size()));
    EXPECT_EQ(effect.Buffer != nullptr, c.Sounds);
    effect.Play(10, 0);
    const std::vector<int16_t> out = MixInt16(*device, samples.size());
    if (c.Sounds) {
      EXPECT_EQ(out, samples);
    } else {
      EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
    }
    effect.Stop();
  }
  TSound missing(*device, "ID_NOSUCHEFFECT");
  EXPECT_EQ(missing.Buffer, nullptr);
  missing.Play(10, 0);
}

TEST(PlayAudio, EffectIndicesReachOnlyTheirEffectAndTenOnlyTheMusic) {
  TempDir folder;
  musictest::WriteFile(folder.Root / "Music.ogg", musictest::ToneFile(0.5, EffectRate));
  TAudio audio(Offline(EffectRate, 2), "", {folder.Root.string()});
  ASSERT_EQ(audio.SoundAvailable, 1);
  ASSERT_EQ(audio.MusicAvailable, 1);
  SoundBuffer& music = *audio.Music->Thread->Buffer;

  for (int index = 0; index < TAudio::EffectCount; ++index) {
    SCOPED_TRACE(index);
    const auto wave = platform::FindResource(TAudio::EffectResources[index]);
    ASSERT_TRUE(wave);
    ASSERT_TRUE(audio.Sounds[index]->Buffer);
    EXPECT_EQ(audio.Sounds[index]->Buffer->Bytes(), wave->size() - 44);  // effects in index order

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
  TAudio audio(Offline(EffectRate, 1), empty.Root.string());
  EXPECT_EQ(audio.SoundAvailable, 1);
  EXPECT_EQ(audio.MusicAvailable, 0);
  audio.PlayAudio(TAudio::MusicIndex, 10, 10);
  EXPECT_FALSE(audio.Music->Thread->Started);
  audio.PlayAudio(0, 10, 10);
  EXPECT_TRUE(audio.Sounds[0]->Buffer->IsPlaying());
}
