#include "ui/ControllerKeys.h"

#include "core/Area.h"
#include "ui/KeyContext.h"

using platform::PadButton;

uint16_t ControllerKey(const TSettings& settings, PadButton button) {
  if (settings.Screen == ScreenPlaying) {
    const auto bound = [](uint16_t key) { return key != 0 ? key : PadNoKey; };
    switch (button) {
      case PadButton::Left: return bound(settings.KeyLeft);
      case PadButton::Right: return bound(settings.KeyRight);
      case PadButton::Up: return bound(settings.KeyUp);
      case PadButton::Down: return PadNoKey;
      case PadButton::South: return VkReturn;
      case PadButton::East:
      case PadButton::Start: return VkEscape;
    }
  }
  if (settings.Screen == ScreenKeysSetup && settings.KeyToSet != 0) return VkEscape;
  const bool naming = settings.Screen == ScreenCongratulations;
  switch (button) {
    case PadButton::Left: return naming ? VkBack : VkLeft;
    case PadButton::Right: return naming ? PadNewCharacter : VkRight;
    case PadButton::Up: return naming ? PadNextCharacter : VkUp;
    case PadButton::Down: return naming ? PadPreviousCharacter : VkDown;
    case PadButton::South:
    case PadButton::Start: return VkReturn;
    case PadButton::East: return VkEscape;
  }
  return PadNoKey;
}
