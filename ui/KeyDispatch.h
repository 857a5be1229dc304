// Key handling by screen: what a key press means on the current screen.
#pragma once
#include <cstdint>

#include "ui/KeyContext.h"

// A key press the window has taken (one per press): runs the current screen's key handling.
// The title, game-over and exit screens take no keys. Throws ERegistryException when a changed
// setting or a high-score table cannot be stored; the change in memory stays.
void ScreenKeyDown(const TKeyContext& context, uint16_t key);
