#include "ui/SettingsStore.h"

#include <algorithm>
#include <string>

namespace {

uint16_t Low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFF); }

std::string SettingsSubkey(std::string_view name) { return std::string(SettingsKeyPath) + "\\" + std::string(name); }

// A display choice as stored; a hand-edited value of another type is as good as none.
std::optional<int32_t> StoredChoice(TRegistry& key, const std::string& name) {
  if (!key.ValueExists(name)) return std::nullopt;
  try {
    return key.ReadInteger(name);
  } catch (const ERegistryException&) {
    return std::nullopt;
  }
}

}  // namespace

void TSettingsStore::Load(TSettings& settings) {
  if (KeysRegistry.OpenKey(SettingsSubkey("Keys"), false)) {
    settings.KeyLeft = Low16(KeysRegistry.ReadInteger("Left"));
    settings.KeyRight = Low16(KeysRegistry.ReadInteger("Right"));
    settings.KeyUp = Low16(KeysRegistry.ReadInteger("Up"));
  }
  if (AreaRegistry.OpenKey(SettingsSubkey("GamePlayArea"), false)) {
    settings.HeightSetting = Low16(AreaRegistry.ReadInteger("Height"));
    settings.WidthSetting = Low16(AreaRegistry.ReadInteger("Width"));
  }
  if (SettingsRegistry.OpenKey(std::string(SettingsKeyPath), false)) {
    if (SettingsRegistry.ValueExists("Path")) settings.Path = SettingsRegistry.ReadString("Path");
    settings.Flags = Low16(SettingsRegistry.ReadInteger("Flags"));
    const uint16_t level = Low16(SettingsRegistry.ReadInteger("Level"));
    settings.StartLevel = static_cast<int16_t>(level);
    // The stored level may be anything; the current level must always index LevelIntervals.
    settings.Level = std::min(level, TopLevel);
  }
}

void TSettingsStore::WriteSetting(TStoredSetting setting, int32_t value) {
  switch (setting) {
    case TStoredSetting::KeyLeft: KeysRegistry.WriteInteger("Left", value); break;
    case TStoredSetting::KeyRight: KeysRegistry.WriteInteger("Right", value); break;
    case TStoredSetting::KeyUp: KeysRegistry.WriteInteger("Up", value); break;
    case TStoredSetting::Width: AreaRegistry.WriteInteger("Width", value); break;
    case TStoredSetting::Height: AreaRegistry.WriteInteger("Height", value); break;
    case TStoredSetting::Flags: SettingsRegistry.WriteInteger("Flags", value); break;
    case TStoredSetting::Level: SettingsRegistry.WriteInteger("Level", value); break;
  }
}

TDisplayChoices TSettingsStore::LoadDisplay() {
  if (!DisplayRegistry.OpenKey(SettingsSubkey("Display"), false)) return {};
  return {StoredChoice(DisplayRegistry, FullScreenValue), StoredChoice(DisplayRegistry, ScaleValue),
          StoredChoice(DisplayRegistry, ColourMarksValue)};
}

void TSettingsStore::WriteDisplay(const std::string& name, int32_t value) {
  // Creating "Display" under an absent settings key would make that key exist without its
  // values, and the next start could not read it.
  if (DisplayRegistry.CurrentPath().empty() && !SettingsRegistry.CurrentPath().empty())
    DisplayRegistry.OpenKey(SettingsSubkey("Display"), true);
  DisplayRegistry.WriteInteger(name, value);
}
