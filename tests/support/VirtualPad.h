// A game controller made up inside SDL (its virtual joysticks) in the standard layout, so that
// tests plug it in, press its buttons, push its stick and unplug it without hardware. SDL's
// controller support must be up; what the pad does is seen at the loop's next SDL_PumpEvents.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>

class VirtualPad {
 public:
  // The dummy display gives no window the focus, without which SDL holds back what a
  // controller does; a player's pad counts only while the game has the focus.
  static void LetThroughWithoutFocus() { SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1"); }

  VirtualPad() { Plug(); }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  void Plug() {
    if (Joystick) return;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;  // buttons and axes in the order of SDL's standard layout
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Sofa pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    Joystick = SDL_JoystickOpen(index);
    ASSERT_NE(Joystick, nullptr) << SDL_GetError();
  }

  void Unplug() {
    if (!Joystick) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(Joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    SDL_JoystickClose(Joystick);
    Joystick = nullptr;
  }

  void Set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(Joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Stick(int16_t x, int16_t y) {
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTY, y);
  }

 private:
  SDL_Joystick* Joystick = nullptr;
};
