// The menu screens: the main menu, the play setup, the game setup, the keys setup and the
// in-game menu. Up and Down walk each menu's items in a cycle; Enter, Left and Right act on the
// selected item; every setting changed here is stored at once.
#pragma once
#include <cstdint>

#include "ui/KeyContext.h"

// A key press on one of the menu screens. Menus take only the arrows and Enter (Escape means
// nothing here), except while the keys setup waits for a new binding: then any key is taken.
void MenuKeyDown(const TKeyContext& context, uint16_t key);
