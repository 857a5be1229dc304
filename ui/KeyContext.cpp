#include "ui/KeyContext.h"

#include "core/Area.h"

MenuKey TranslateMenuKey(const TSettings& /*settings*/, uint16_t key) {
  switch (key) {
    case VkReturn: return MenuKey::MenuEnter;
    case VkLeft: return MenuKey::MenuLeft;
    case VkRight: return MenuKey::MenuRight;
    case VkUp: return MenuKey::MenuUp;
    case VkDown: return MenuKey::MenuDown;
    default: return MenuKey::None;
  }
}

PlayKey TranslatePlayKey(const TSettings& settings, uint16_t key) {
  if (key == settings.KeyLeft) return PlayKey::PlayLeft;
  if (key == settings.KeyRight) return PlayKey::PlayRight;
  if (key == settings.KeyUp) return PlayKey::PlayUp;
  if (key == VkEscape) return PlayKey::PlayEscape;
  return PlayKey::None;
}
