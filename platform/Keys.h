// Keyboard keys as the 16-bit Windows-style virtual-key codes the game stores and compares
// (key bindings in the settings, the key-name strip, the menu and play keys).
#pragma once
#include <cstdint>

namespace platform {

// The virtual-key code of a key, given its SDL scancode (the key's place on the keyboard)
// and SDL keycode (what the layout puts there); 0 for a key the game has no code for.
// Letters and punctuation follow the layout; the keypad, function, editing and modifier
// keys follow their place, so the keypad digits are 96..105 whatever the Num Lock state.
uint16_t VirtualKey(int scancode, int32_t keycode);

}  // namespace platform
