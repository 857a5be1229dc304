// The audio callback must never allocate: a heap call there can stall on a lock held by
// another thread and make the sound drop out. Every allocation made through operator new or
// SDL's allocator while mixing is counted here.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/Sound.h"
#include "tests/platform/SoundTestSupport.h"

namespace {

thread_local bool Counting = false;
std::atomic<int> CppAllocations{0};
std::atomic<int> SdlAllocations{0};

SDL_malloc_func RealMalloc;
SDL_calloc_func RealCalloc;
SDL_realloc_func RealRealloc;
SDL_free_func RealFree;

void* SDLCALL CountingMalloc(size_t size) {
  if (Counting) ++SdlAllocations;
  return RealMalloc(size);
}
void* SDLCALL CountingCalloc(size_t count, size_t size) {
  if (Counting) ++SdlAllocations;
  return RealCalloc(count, size);
}
void* SDLCALL CountingRealloc(void* p, size_t size) {
  if (Counting) ++SdlAllocations;
  return RealRealloc(p, size);
}
void SDLCALL CountingFree(void* p) {
  if (Counting && p) ++SdlAllocations;
  RealFree(p);
}

}  // namespace

// The replacements pair malloc with free on purpose; the compiler cannot see that.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (Counting) ++CppAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

TEST(MixerAllocation, MixingTenEffectsAndTheMusicNeverAllocates) {
  SDL_GetMemoryFunctions(&RealMalloc, &RealCalloc, &RealRealloc, &RealFree);
  ASSERT_EQ(SDL_SetMemoryFunctions(CountingMalloc, CountingCalloc, CountingRealloc, CountingFree), 0);

  {
    auto device = soundtest::Offline();
    std::vector<std::unique_ptr<platform::SoundBuffer>> effects;
    for (int i = 0; i < 10; ++i) {
      effects.push_back(soundtest::MakeEffect(*device, soundtest::Sine(2000 + 500 * i, 1, 300.0 + 50 * i, 22050.0, 0.1),
                                              soundtest::EffectFormat));
      effects.back()->SetVolume(-300 * i);
      effects.back()->Play(i % 2 ? platform::SoundPlayLooping : 0);  // some end while mixing
    }
    // A short ring, so the music wraps many times; a second one plays once to its end.
    auto music = soundtest::MakeStream(*device, soundtest::Sine(4410, 2, 441.0, 44100.0, 0.3));
    auto once = soundtest::MakeStream(*device, soundtest::Sine(8000, 2, 220.0, 44100.0, 0.3));
    music->Play(platform::SoundPlayLooping);
    once->Play(0);

    std::vector<int16_t> out(8192 * 2);
    Counting = true;
    for (int round = 0; round < 20; ++round) {
      for (size_t frames : {1u, 7u, 256u, 1024u, 1500u, 4096u, 8192u}) {
        if (round == 10) device->GetMixer().SetAudible(frames % 2 == 0);  // the focus coming and going
        music->SetVolume(-100 * static_cast<int32_t>(frames % 7));
        device->GetMixer().Mix(out.data(), frames);
      }
    }
    Counting = false;
    EXPECT_FALSE(once->IsPlaying());
    EXPECT_TRUE(music->IsPlaying());
  }

  SDL_SetMemoryFunctions(RealMalloc, RealCalloc, RealRealloc, RealFree);
  EXPECT_EQ(CppAllocations.load(), 0);
  EXPECT_EQ(SdlAllocations.load(), 0);
}
