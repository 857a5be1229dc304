// The settings of TSettings: key bindings, play-area size, volumes, mode and levels. Every
// change is written through the attached writer the moment it is made.
#include <algorithm>

#include "core/Area.h"
#include "core/KeyTable.h"

namespace {

constexpr uint16_t SoundVolumeMask = 0x000F;
constexpr uint16_t MusicVolumeMask = 0x00F0;
constexpr uint16_t GameModeMask = 0x0300;

}  // namespace

TSettings::TSettings() : LevelIntervals{1000, 900, 800, 700, 600, 500, 400, 350, 300, 250} {}

void TSettings::Write(TStoredSetting setting, int32_t value) {
  if (Writer != nullptr) Writer->WriteSetting(setting, value);
}

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
  Write(TStoredSetting::KeyLeft, KeyLeft);
  Write(TStoredSetting::KeyRight, KeyRight);
  Write(TStoredSetting::KeyUp, KeyUp);
}

uint32_t TSettings::KeyGlyphIndex(int slot) const {
  const uint16_t code = slot == KeySlotLeft ? KeyLeft : slot == KeySlotRight ? KeyRight : slot == KeySlotUp ? KeyUp : 0;
  // An unbound action (0) finds the first "no key" place; a code not in the table (only a
  // hand-edited store holds one) is shown the same way.
  const auto found = std::find(KeyTable.begin(), KeyTable.end(), code);
  return found == KeyTable.end() ? KeyGlyphUnbound : static_cast<uint32_t>(found - KeyTable.begin());
}

uint16_t TSettings::GetAreaSize(int which) const {
  if (which == SideWidth) return WidthSetting;
  if (which == SideHeight) return HeightSetting;
  return 0;
}

void TSettings::ChangeAreaSize(int which, int delta) {
  // The sum is unsigned 16-bit: a width of 0 (nothing stored) minus 1 is 65535, above the
  // range, and so wraps to the smallest size, just as 0 + 1 is below it and wraps to the largest.
  if (which == SideWidth) {
    const auto width = static_cast<uint16_t>(WidthSetting + delta);
    WidthSetting = static_cast<uint16_t>(width > MaxAreaWidth ? MinAreaWidth : width < MinAreaWidth ? MaxAreaWidth : width);
    Write(TStoredSetting::Width, WidthSetting);
  } else if (which == SideHeight) {
    const auto height = static_cast<uint16_t>(HeightSetting + delta);
    HeightSetting = static_cast<uint16_t>(height > MaxAreaHeight ? MinAreaHeight : height < MinAreaHeight ? MaxAreaHeight : height);
    Write(TStoredSetting::Height, HeightSetting);
  }
}

uint32_t TSettings::GetFlag(int which) const {
  switch (which) {
    case FlagSoundVolume:
      return Flags & SoundVolumeMask;
    case FlagMusicVolume:
      return (Flags & MusicVolumeMask) >> 4;
    case FlagGameMode:
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
    const int volume = std::clamp(static_cast<int>((Flags & mask) >> shift) + value, 0, static_cast<int>(MaxVolume));
    Flags = static_cast<uint16_t>((Flags & ~mask) | (volume << shift));
  };
  switch (which) {
    case FlagSoundVolume:
      stepVolume(SoundVolumeMask, 0);
      break;
    case FlagMusicVolume:
      stepVolume(MusicVolumeMask, 4);
      break;
    case FlagGameMode:
      Flags = static_cast<uint16_t>((Flags & ~GameModeMask) | ((value & 3) << 8));
      break;
    default:
      return;
  }
  Write(TStoredSetting::Flags, Flags);
}

uint16_t TSettings::GetStartLevel() const { return static_cast<uint16_t>(StartLevel); }

void TSettings::SetStartLevel(int16_t n) {
  StartLevel = n > static_cast<int16_t>(TopLevel) ? int16_t{0} : n < 0 ? static_cast<int16_t>(TopLevel) : n;
  Write(TStoredSetting::Level, StartLevel);
}

uint16_t TSettings::GetLevel() const { return Level; }

uint16_t TSettings::SetLevel(uint16_t n) {
  // A start level read from the store can be anything: beyond the last level is the last level.
  Level = std::min(n, TopLevel);
  return LevelIntervals[Level];
}
