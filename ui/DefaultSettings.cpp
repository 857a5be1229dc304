#include "ui/DefaultSettings.h"

#include <cstdint>
#include <string_view>

#include "platform/Registry.h"

namespace {

constexpr int32_t DefaultKeyLeft = 37;   // Left arrow
constexpr int32_t DefaultKeyRight = 39;  // Right arrow
constexpr int32_t DefaultKeyUp = 38;     // Up arrow
constexpr int32_t DefaultHeight = 14;
constexpr int32_t DefaultWidth = 7;
constexpr int32_t DefaultLevel = 0;
constexpr int32_t DefaultSoundVolume = 8;
constexpr int32_t DefaultMusicVolume = 6;
constexpr int32_t DefaultGameMode = 0;  // Standard
constexpr int32_t DefaultFlags = DefaultSoundVolume | (DefaultMusicVolume << 4) | (DefaultGameMode << 8);

struct Default {
  std::string_view Subkey;  // below the settings key; "" for the key itself
  std::string_view Name;
  int32_t Number;
  bool IsText;
};

constexpr Default Defaults[] = {
    {"", "Path", 0, true},
    {"", "Flags", DefaultFlags, false},
    {"", "Level", DefaultLevel, false},
    {"Keys", "Left", DefaultKeyLeft, false},
    {"Keys", "Right", DefaultKeyRight, false},
    {"Keys", "Up", DefaultKeyUp, false},
    {"GamePlayArea", "Height", DefaultHeight, false},
    {"GamePlayArea", "Width", DefaultWidth, false},
};

// Whether the game can read the value as the type it expects: Read* throws on a wrong type.
bool HasExpectedType(TRegistry& registry, const std::string& name, bool isText) {
  try {
    if (isText) {
      registry.ReadString(name);
    } else {
      registry.ReadInteger(name);
    }
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

}  // namespace

TDefaultSettingsResult WriteDefaultSettings(const std::string& dataDir) {
  TDefaultSettingsResult result;
  TRegistry registry;
  for (const Default& entry : Defaults) {
    std::string key(SettingsKeyPath);
    if (!entry.Subkey.empty()) key += "\\" + std::string(entry.Subkey);
    if (!registry.OpenKey("\\" + key, true))
      throw ERegistryException("Failed to set data for '" + std::string(entry.Name) + "': " + registry.LastOpenError());
    const std::string name(entry.Name);
    const std::string shown = entry.Subkey.empty() ? name : std::string(entry.Subkey) + "\\" + name;
    if (registry.ValueExists(name)) {
      if (!HasExpectedType(registry, name, entry.IsText)) result.WrongType.push_back(shown);
      continue;
    }
    if (entry.IsText) {
      registry.WriteString(name, dataDir);
    } else {
      registry.WriteInteger(name, entry.Number);
    }
    result.Written.push_back(shown);
  }
  return result;
}
