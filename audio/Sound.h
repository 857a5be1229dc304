// One sound effect: a static sound buffer holding the whole effect, made once from a RIFF
// WAVE resource embedded in the program.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/Sound.h"

// The sound layer's volume (hundredths of a decibel) for a level of the settings: level 10 is
// full volume and each step down is 3 dB, so level 1 is 27 dB down. The settings word holds
// four bits, so an edited store can give 11..15; they play at full volume, not above it.
int32_t LevelVolume(int level);

class TSound {
 public:
  // From the embedded wave resource of that name; a missing or malformed one gives a silent
  // effect.
  TSound(platform::SoundDevice& sound, std::string_view resource);
  // From the bytes of a whole wave file in the canonical layout: the format chunk first, the
  // data chunk right after it. Sizes that point past the end give a silent effect.
  TSound(platform::SoundDevice& sound, std::span<const uint8_t> wave);

  // Level 1..10 (11..15 as 10) sets the volume and plays with the given play flags; a request
  // for an effect still sounding neither restarts nor doubles it. Level 0 stops it.
  void Play(int level, uint32_t flags);
  void Stop();

  // Null when the effect could not be made: it then stays silent.
  std::unique_ptr<platform::SoundBuffer> Buffer;
};
