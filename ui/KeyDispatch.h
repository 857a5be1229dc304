// Key handling by screen: what a key press means on the current screen, and the translation
// of virtual-key codes into menu and play actions.
#pragma once
#include <cstdint>

class TSettings;
class TGame;

// Windows-style virtual-key codes the game compares against.
constexpr uint16_t VkBack = 8;
constexpr uint16_t VkReturn = 13;
constexpr uint16_t VkEscape = 27;
constexpr uint16_t VkLeft = 37;
constexpr uint16_t VkUp = 38;
constexpr uint16_t VkRight = 39;
constexpr uint16_t VkDown = 40;

// Menu key codes: menus are always driven by the arrow keys and Enter.
enum class MenuKey : uint8_t { None = 0, MenuEnter = 1, MenuLeft = 2, MenuRight = 3, MenuUp = 4, MenuDown = 5 };

// Play key codes; 6, 7 and 8 are also the key-slot numbers of the settings.
enum class PlayKey : uint8_t { None = 0, PlayLeft = 6, PlayRight = 7, PlayUp = 8, PlayEscape = 9 };

MenuKey TranslateMenuKey(const TSettings& settings, uint16_t key);
// Bound keys are compared in the order Left, Right, Up, then Escape.
PlayKey TranslatePlayKey(const TSettings& settings, uint16_t key);

// A key press the window has taken (one per press): runs the current screen's key handling.
// The title, game-over and exit screens take no keys.
void ScreenKeyDown(TGame& game, uint16_t key);
