// What a game controller's buttons stand for: on each screen, the key a player would press
// there, so that a button goes the way of a key (the key latch, the screen's key handling, the
// redraw).
#pragma once
#include <cstdint>

#include "platform/Controller.h"  // only the names of the buttons, which become keys here

class TSettings;

// In play the directions give the keys bound to Left, Right and Up (an action without a key,
// nothing), east and Start Escape. On the menus they are the arrows, south and Start Enter,
// east Escape; while the keys setup waits for a key every button is Escape, so that a binding
// stays a keyboard key. On the name entry Left takes a character back, Right adds one, Up and
// Down step the last one, south and Start store the name.
uint16_t ControllerKey(const TSettings& settings, platform::PadButton button);
