// The player's settings: read from the per-user store once at construction, each change
// written back the moment it is made. Defaults are never written here (huebloc-setup does it).
#include <algorithm>

#include "core/Area.h"
#include "platform/Registry.h"
#include "ui/KeyTable.h"

namespace {

constexpr uint16_t SoundVolumeMask = 0x000F;
constexpr uint16_t MusicVolumeMask = 0x00F0;
constexpr uint16_t GameModeMask = 0x0300;
constexpr int MaxVolume = 10;

uint16_t Low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFF); }

std::string SettingsSubkey(std::string_view name) { return std::string(SettingsKeyPath) + "\\" + std::string(name); }

}  // namespace

TSettings::TSettings() {
  // Path and the high-score names start empty; every other member starts at 0, which is what
  // a key that cannot be opened leaves behind.
  KeysRegistry = std::make_unique<TRegistry>();
  if (KeysRegistry->OpenKey(SettingsSubkey("Keys"), false)) {
    KeyLeft = Low16(KeysRegistry->ReadInteger("Left"));
    KeyRight = Low16(KeysRegistry->ReadInteger("Right"));
    KeyUp = Low16(KeysRegistry->ReadInteger("Up"));
  }

  AreaRegistry = std::make_unique<TRegistry>();
  if (AreaRegistry->OpenKey(SettingsSubkey("GamePlayArea"), false)) {
    HeightSetting = Low16(AreaRegistry->ReadInteger("Height"));
    WidthSetting = Low16(AreaRegistry->ReadInteger("Width"));
  }

  SettingsRegistry = std::make_unique<TRegistry>();
  if (SettingsRegistry->OpenKey(std::string(SettingsKeyPath), false)) {
    if (SettingsRegistry->ValueExists("Path")) Path = SettingsRegistry->ReadString("Path");
    Flags = Low16(SettingsRegistry->ReadInteger("Flags"));
    const uint16_t level = Low16(SettingsRegistry->ReadInteger("Level"));
    StartLevel = static_cast<int16_t>(level);
    // The stored level may be anything; the current level must always index LevelIntervals.
    Level = std::min(level, TopLevel);
  }

  Screen = 0;
  KeyToSet = 0;

  // The high-score table of the current size and mode is loaded here (ui/HighScores.cpp);
  // until it is, the table is empty.
  BestScore = HighScores[0];

  LevelIntervals = {1000, 900, 800, 700, 600, 500, 400, 350, 300, 250};
}

TSettings::~TSettings() { ClearBoard(); }

void TSettings::SetKey(int slot, uint16_t code) {
  uint16_t* const keys[] = {&KeyLeft, &KeyRight, &KeyUp};
  if (slot < KeySlotLeft || slot > KeySlotUp) return;
  // Only bindable keys; 0 marks the table's unused glyph places and is no key at all.
  if (code == 0 || std::find(KeyTable.begin(), KeyTable.end(), code) == KeyTable.end()) return;
  uint16_t& target = *keys[slot - KeySlotLeft];
  // A key taken from another action gives that action this one's key: the two swap.
  for (uint16_t* other : keys)
    if (other != &target && *other == code) *other = target;
  target = code;
  KeysRegistry->WriteInteger("Left", KeyLeft);
  KeysRegistry->WriteInteger("Right", KeyRight);
  KeysRegistry->WriteInteger("Up", KeyUp);
}

uint32_t TSettings::KeyGlyphIndex(int slot) const {
  const uint16_t code = slot == KeySlotLeft ? KeyLeft : slot == KeySlotRight ? KeyRight : slot == KeySlotUp ? KeyUp : 0;
  // An unbound action (0) finds the first "no key" place; a code not in the table (only a
  // hand-edited store holds one) is shown the same way.
  const auto found = std::find(KeyTable.begin(), KeyTable.end(), code);
  return found == KeyTable.end() ? KeyGlyphUnbound : static_cast<uint32_t>(found - KeyTable.begin());
}

uint16_t TSettings::GetAreaSize(int which) const {
  if (which == 0) return WidthSetting;
  if (which == 1) return HeightSetting;
  return 0;
}

void TSettings::ChangeAreaSize(int which, int delta) {
  // The sum is unsigned 16-bit: a width of 0 (nothing stored) minus 1 is 65535, above the
  // range, and so wraps to the smallest size, just as 0 + 1 is below it and wraps to the largest.
  if (which == 0) {
    const auto width = static_cast<uint16_t>(WidthSetting + delta);
    WidthSetting = static_cast<uint16_t>(width > MaxAreaWidth ? MinAreaWidth : width < MinAreaWidth ? MaxAreaWidth : width);
    AreaRegistry->WriteInteger("Width", WidthSetting);
  } else if (which == 1) {
    const auto height = static_cast<uint16_t>(HeightSetting + delta);
    HeightSetting = static_cast<uint16_t>(height > MaxAreaHeight ? MinAreaHeight : height < MinAreaHeight ? MaxAreaHeight : height);
    AreaRegistry->WriteInteger("Height", HeightSetting);
  }
}

uint32_t TSettings::GetFlag(int which) const {
  switch (which) {
    case 0:
      return Flags & SoundVolumeMask;
    case 1:
      return (Flags & MusicVolumeMask) >> 4;
    case 2:
      return (Flags & GameModeMask) >> 8;
    default:
      return 0;
  }
}

void TSettings::ChangeFlags(int which, int value) {
  // Only the chosen field changes; the other fields and the unused bits 10-15 are written back
  // as they were read. A volume stays within 0..10 even if a caller steps past its end (a
  // hand-edited store may hold 11..15).
  const auto stepVolume = [&](uint16_t mask, int shift) {
    const int volume = std::clamp(static_cast<int>((Flags & mask) >> shift) + value, 0, MaxVolume);
    Flags = static_cast<uint16_t>((Flags & ~mask) | (volume << shift));
  };
  switch (which) {
    case 0:
      stepVolume(SoundVolumeMask, 0);
      break;
    case 1:
      stepVolume(MusicVolumeMask, 4);
      break;
    case 2:
      Flags = static_cast<uint16_t>((Flags & ~GameModeMask) | ((value & 3) << 8));
      break;
    default:
      return;
  }
  SettingsRegistry->WriteInteger("Flags", static_cast<int32_t>(Flags));
}

uint16_t TSettings::GetStartLevel() const { return static_cast<uint16_t>(StartLevel); }

void TSettings::SetStartLevel(int16_t n) {
  StartLevel = n > static_cast<int16_t>(TopLevel) ? int16_t{0} : n < 0 ? static_cast<int16_t>(TopLevel) : n;
  SettingsRegistry->WriteInteger("Level", StartLevel);
}

uint16_t TSettings::GetLevel() const { return Level; }

uint16_t TSettings::SetLevel(uint16_t n) {
  // A start level read from the store can be anything: beyond the last level is the last level.
  Level = std::min(n, TopLevel);
  return LevelIntervals[Level];
}
