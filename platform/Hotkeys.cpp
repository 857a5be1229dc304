#include "platform/Hotkeys.h"

#include <SDL.h>

#include <algorithm>

namespace platform {
namespace {

// A key by its place on the keyboard, taken while any of the modifiers is held (none listed:
// whatever is held).
struct Binding {
  SDL_Scancode Key;
  uint16_t Modifiers;
  Hotkey Action;
};

constexpr Binding Bindings[] = {
    {SDL_SCANCODE_F11, KMOD_NONE, Hotkey::FullScreen},
    {SDL_SCANCODE_RETURN, KMOD_ALT, Hotkey::FullScreen},
    {SDL_SCANCODE_KP_ENTER, KMOD_ALT, Hotkey::FullScreen},
    {SDL_SCANCODE_F3, KMOD_NONE, Hotkey::ColourMarks},
};

}  // namespace

HotkeyFilter::Taken HotkeyFilter::Press(int scancode, uint16_t modifiers, bool repeat) {
  const auto held = std::find(Held.begin(), Held.end(), scancode);
  if (repeat && held != Held.end()) return {true, std::nullopt};
  for (const Binding& binding : Bindings) {
    if (binding.Key != scancode || (binding.Modifiers != KMOD_NONE && (modifiers & binding.Modifiers) == 0)) continue;
    if (held == Held.end()) Held.push_back(scancode);
    return {true, repeat ? std::nullopt : std::optional(binding.Action)};
  }
  // The same key without its modifier is the game's again (its last release may have gone to
  // another window).
  if (held != Held.end()) Held.erase(held);
  return {};
}

bool HotkeyFilter::Release(int scancode) {
  const auto held = std::find(Held.begin(), Held.end(), scancode);
  if (held == Held.end()) return false;
  Held.erase(held);
  return true;
}

}  // namespace platform
