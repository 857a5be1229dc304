// What a key press is to the screens: the virtual-key codes the game compares against, their
// translation into menu and play actions, and what the key handling of the screens works on.
#pragma once
#include <cstdint>

class TSettings;
class TGame;
class IHighScoreStore;

// Windows-style virtual-key codes the game compares against.
constexpr uint16_t VkBack = 8;
constexpr uint16_t VkReturn = 13;
constexpr uint16_t VkEscape = 27;
constexpr uint16_t VkLeft = 37;
constexpr uint16_t VkUp = 38;
constexpr uint16_t VkRight = 39;
constexpr uint16_t VkDown = 40;

// Codes no keyboard key gives (a keyboard's stay below 256), for a controller's buttons: one
// that means nothing on any screen, and the name entry's new character and steps of the last
// character along the characters a name may hold.
constexpr uint16_t PadNoKey = 0x100;
constexpr uint16_t PadNewCharacter = 0x101;
constexpr uint16_t PadNextCharacter = 0x102;
constexpr uint16_t PadPreviousCharacter = 0x103;

// Menu key codes: menus are always driven by the arrow keys and Enter.
enum class MenuKey : uint8_t { None = 0, MenuEnter = 1, MenuLeft = 2, MenuRight = 3, MenuUp = 4, MenuDown = 5 };

// Play key codes; 6, 7 and 8 are also the key-slot numbers of the settings.
enum class PlayKey : uint8_t { None = 0, PlayLeft = 6, PlayRight = 7, PlayUp = 8, PlayEscape = 9 };

MenuKey TranslateMenuKey(const TSettings& settings, uint16_t key);
// Bound keys are compared in the order Left, Right, Up, then Escape.
PlayKey TranslatePlayKey(const TSettings& settings, uint16_t key);

// What the key handling of the screens works on; the window builds it for each key press.
struct TKeyContext {
  TGame& Game;                  // with its settings record and its host (clock, sound)
  IHighScoreStore& ScoreStore;  // where the high-score tables are kept
  bool SoundAvailable = false;  // without a device the game setup skips its item
  bool MusicAvailable = false;
};
