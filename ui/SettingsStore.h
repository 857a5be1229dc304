// The player's settings in the per-user store: read once into the settings record at start,
// and every change written back the moment the record reports it. Defaults are never written
// here (huebloc-setup does that before the first start).
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/Area.h"
#include "platform/Registry.h"

// The window's display choices, kept in the settings key's subkey "Display" and written only
// when the player changes them. A value that is absent, or not an integer, reads as nothing:
// the game then chooses for itself, as on the first start.
struct TDisplayChoices {
  std::optional<int32_t> FullScreen;  // "Fullscreen": 1 in full screen, 0 in a window
  std::optional<int32_t> Scale;       // "Scale": the window's scale
  std::optional<int32_t> ColourMarks;  // "ColourMarks": the colour marks shown unless 0
};
inline const std::string FullScreenValue = "Fullscreen";
inline const std::string ScaleValue = "Scale";
inline const std::string ColourMarksValue = "ColourMarks";

class TSettingsStore final : public ISettingsWriter {
 public:
  // Opens the Keys, GamePlayArea and Settings keys without creating them and reads their values
  // into the record. A key that is absent leaves its members as they are (0 in a fresh record)
  // and makes later writes to it fail. Throws ERegistryException for an absent value (but
  // "Path") or a value of the wrong type, and for an unreadable or damaged store.
  void Load(TSettings& settings);

  // Throws ERegistryException ("Failed to set data for '...'") when the value cannot be stored.
  void WriteSetting(TStoredSetting setting, int32_t value) override;

  // The display choices, after Load. Throws ERegistryException only for an unreadable store.
  TDisplayChoices LoadDisplay();
  // Writes one display choice (FullScreenValue, ScaleValue or ColourMarksValue), creating "Display" below the
  // settings key when it is not there yet. Throws ERegistryException as WriteSetting does, also
  // when the settings key itself is absent: it is left to the install step to create.
  void WriteDisplay(const std::string& name, int32_t value);

 private:
  TRegistry KeysRegistry, AreaRegistry, SettingsRegistry, DisplayRegistry;
};
