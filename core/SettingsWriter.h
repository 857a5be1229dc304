// Where a changed setting goes the moment it changes. The game writes through this; the shell
// attaches the per-user store, and a game with nothing attached simply keeps its settings.
#pragma once
#include <cstdint>

// The stored settings, each one value of the store.
enum class TStoredSetting : uint8_t { KeyLeft, KeyRight, KeyUp, Width, Height, Flags, Level };

class ISettingsWriter {
 public:
  virtual ~ISettingsWriter() = default;
  // Throws when the store refuses the value; the setting in memory has already changed.
  virtual void WriteSetting(TStoredSetting setting, int32_t value) = 0;
};
