// The game's three sound threads at once, on a real audio thread: the callback mixes, a music
// thread refills the half of the ring the cursor has left, and the main thread plays effects,
// stops them and changes volumes, makes and drops buffers. Run under ThreadSanitizer, this
// finds any state they share without synchronisation.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using platform::SoundOk;

TEST(SoundThreading, CallbackMusicWriterAndVolumeChangesRunTogether) {
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", "/dev/null");
  // About ten times real time, leaving the writer a comfortable lead, as the game has.
  ScopedEnv pace("SDL_DISKAUDIODELAY", "2");
  std::unique_ptr<SoundDevice> device = SoundDevice::Create();
  ASSERT_NE(device, nullptr);

  const uint32_t size = 4 * OutputFormat.AvgBytesPerSec();
  const uint32_t half = size / 2;
  auto music = MakeStream(*device, Sine(size / 4, 2, 441.0, 44100.0, 0.2));
  std::vector<std::unique_ptr<SoundBuffer>> effects;
  for (int i = 0; i < 10; ++i)
    effects.push_back(MakeEffect(*device, Sine(2205, 1, 500.0 + 40 * i, 22050.0, 0.1), EffectFormat));
  music->Play(platform::SoundPlayLooping);

  // The writer talks to the main thread through relaxed flags only, as the game's threads
  // share nothing but the buffers: every ordering the mixing needs must come from the sound
  // layer itself.
  constexpr int Fills = 8;
  constexpr auto relaxed = std::memory_order_relaxed;
  std::atomic<int> filled{0};
  std::atomic<bool> gaveUp{false};
  std::thread writer([&] {
    const std::vector<int16_t> block = Sine(half / 4, 2, 441.0, 44100.0, 0.2);
    const std::vector<uint8_t> bytes = Bytes(block);
    bool lowerDue = true;
    for (int n = 0; n < Fills; ++n) {
      const bool ready = WaitUntil([&] { return (music->GetCurrentPosition() >= half) == lowerDue; });
      if (!ready) {
        gaveUp.store(true, relaxed);
        return;
      }
      std::span<uint8_t> p1, p2;
      if (music->Lock(lowerDue ? 0 : half, half, p1, p2) != SoundOk) {
        gaveUp.store(true, relaxed);
        return;
      }
      std::memcpy(p1.data(), bytes.data(), p1.size());
      music->Unlock();
      lowerDue = !lowerDue;
      filled.fetch_add(1, relaxed);
    }
  });

  int round = 0;
  while (filled.load(relaxed) < Fills && !gaveUp.load(relaxed)) {
    auto& effect = effects[static_cast<size_t>(round) % effects.size()];
    effect->SetVolume(-(round % 31) * 100);
    effect->Play(0);
    if (round % 7 == 0) effects[static_cast<size_t>(round / 7) % effects.size()]->Stop();
    music->SetVolume(round % 2 ? -600 : 0);
    if (round % 13 == 0) device->GetMixer().SetAudible(round % 26 == 0);  // the focus coming and going
    if (round % 50 == 0) {
      // Buffers come and go while the callback mixes (the display-change rebuild does this).
      auto extra = MakeEffect(*device, Constant(500, 1000), EffectFormat);
      extra->Play(0);
    }
    ++round;
    std::this_thread::yield();
  }
  writer.join();
  EXPECT_FALSE(gaveUp.load()) << "the play cursor stopped moving";
  EXPECT_EQ(filled.load(), Fills);
  EXPECT_GT(device->GetMixer().FramesMixed(), uint64_t{Fills / 2} * 4 * OutputFormat.SamplesPerSec * 9 / 10);
}
