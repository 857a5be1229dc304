// Keys of the desktop that the game takes before any screen sees them: F11 and Alt+Enter
// switch between a window and full screen, F3 turns the colour marks on or off. A key taken
// here is never typed into a name, never captured by the key setup and never counted by the
// key latch: its press, its auto-repeats and its release all stop here. The modifier held
// with it (Alt is a key a player may bind) reaches the game as any key does. Each hotkey is
// one entry of the table in Hotkeys.cpp.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

enum class Hotkey : uint8_t { FullScreen, ColourMarks };

class HotkeyFilter {
 public:
  struct Taken {
    bool Key = false;               // the press is a hotkey's: the game does not get it
    std::optional<Hotkey> Pressed;  // the hotkey, on its first press (not on auto-repeats)
  };
  // A key going down: SDL's scancode and modifier state, and whether it is an auto-repeat.
  Taken Press(int scancode, uint16_t modifiers, bool repeat);
  // A key coming up: true when its press was taken.
  bool Release(int scancode);

 private:
  std::vector<int> Held;  // scancodes whose presses were taken, until their release
};

}  // namespace platform
