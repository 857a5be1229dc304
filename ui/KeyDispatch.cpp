#include "ui/KeyDispatch.h"

#include "shell/Window.h"

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

// One action per key press: auto-repeats and a second key pressed while the first is held
// are ignored until some key is released. Every accepted press ends with a redraw.
void TFormWindow::FormKeyDown(uint16_t key) {
  if (KeyHeld == 1) return;
  KeyHeld = 1;
  switch (Settings.Screen) {
    case ScreenMainMenu:
    case ScreenPlaySetup:
    case ScreenGameSetup:
    case ScreenKeysSetup:
    case ScreenGameMenu:
      MenuKeyDown(key);
      break;
    case ScreenPlaying:
      switch (TranslatePlayKey(Settings, key)) {
        case PlayKey::PlayLeft: PlayLeft(); break;
        case PlayKey::PlayRight: PlayRight(); break;
        case PlayKey::PlayUp: PlayUp(); break;
        case PlayKey::PlayEscape: PlayEscape(); break;
        case PlayKey::None: break;
      }
      break;
    case ScreenCongratulations:
      NameEntryKeyDown(key);
      break;
    case ScreenHighScores:
      HighScoresKeyDown(key);
      break;
    default:  // title, game over, exit and start-up take no keys
      break;
  }
  ComposeScreen();
}

void TFormWindow::FormKeyUp(uint16_t /*key*/) { KeyHeld = 0; }

// The menus, the name entry and the high-score screen take their keys here once they exist;
// until then a key on those screens is consumed and only redraws.
void TFormWindow::MenuKeyDown(uint16_t /*key*/) {}
void TFormWindow::NameEntryKeyDown(uint16_t /*key*/) {}
void TFormWindow::HighScoresKeyDown(uint16_t /*key*/) {}
