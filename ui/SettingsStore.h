// The player's settings in the per-user store: read once into the settings record at start,
// and every change written back the moment the record reports it. Defaults are never written
// here (huebloc-setup does that before the first start).
#pragma once
#include <cstdint>

#include "core/Area.h"
#include "platform/Registry.h"

class TSettingsStore final : public ISettingsWriter {
 public:
  // Opens the Keys, GamePlayArea and Settings keys without creating them and reads their values
  // into the record. A key that is absent leaves its members as they are (0 in a fresh record)
  // and makes later writes to it fail. Throws ERegistryException for an absent value (but
  // "Path") or a value of the wrong type, and for an unreadable or damaged store.
  void Load(TSettings& settings);

  // Throws ERegistryException ("Failed to set data for '...'") when the value cannot be stored.
  void WriteSetting(TStoredSetting setting, int32_t value) override;

 private:
  TRegistry KeysRegistry, AreaRegistry, SettingsRegistry;
};
