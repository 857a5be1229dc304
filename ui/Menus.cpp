#include "ui/Menus.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "core/Game.h"
#include "core/KeyTable.h"
#include "ui/HighScores.h"

namespace {

// The items Up and Down walk on a menu, top to bottom.
struct TMenuCycle {
  std::array<TMenuItem, 5> Items{};
  std::size_t Size = 0;
  void Add(std::initializer_list<TMenuItem> items) {
    for (const TMenuItem item : items) Items[Size++] = item;
  }
};

TMenuCycle CycleOf(const TKeyContext& context, TScreen screen) {
  TMenuCycle cycle;
  switch (screen) {
    case ScreenMainMenu: cycle.Add({ItemStartGame, ItemPlaySetup, ItemGameSetup, ItemExit}); break;
    case ScreenPlaySetup: cycle.Add({ItemLevel, ItemMode, ItemHeight, ItemWidth, ItemExit}); break;
    case ScreenGameSetup:
      // A volume without its device cannot be set, so its item is passed over.
      cycle.Add({ItemKeys});
      if (context.SoundAvailable) cycle.Add({ItemSound});
      if (context.MusicAvailable) cycle.Add({ItemMusic});
      cycle.Add({ItemExit});
      break;
    case ScreenKeysSetup: cycle.Add({ItemLeft, ItemRight, ItemUp, ItemExit}); break;
    case ScreenGameMenu: cycle.Add({ItemResumeGame, ItemRestartGame, ItemGameSetup, ItemExit}); break;
    default: break;
  }
  return cycle;
}

// Up (-1) or Down (+1) one place along the menu's cycle, wrapping at both ends.
void Walk(const TKeyContext& context, int step) {
  TSettings& settings = context.Game.Settings;
  const TMenuCycle cycle = CycleOf(context, settings.Screen);
  if (cycle.Size == 0) return;
  const auto end = cycle.Items.begin() + static_cast<std::ptrdiff_t>(cycle.Size);
  const auto found = std::find(cycle.Items.begin(), end, settings.MenuItem);
  // An item that is not on this menu counts as just outside it: Down gives the first, Up the last.
  const std::size_t index = found != end ? static_cast<std::size_t>(found - cycle.Items.begin())
                            : step > 0   ? cycle.Size - 1
                                         : 0;
  context.Game.Host.PlayAudio(SoundMenuUpDown);
  settings.MenuItem = cycle.Items[(index + cycle.Size + static_cast<std::size_t>(step)) % cycle.Size];
}

void Open(TSettings& settings, TScreen screen, TMenuItem item) {
  settings.Screen = screen;
  settings.MenuItem = item;
}

// The game setup entered from the main menu or from the in-game menu, which it returns to.
void OpenGameSetup(TSettings& settings, TScreen returnScreen) {
  settings.ReturnScreen = returnScreen;
  Open(settings, ScreenGameSetup, ItemKeys);
}

void MainMenuKey(const TKeyContext& context, MenuKey key) {
  TGame& game = context.Game;
  TSettings& settings = game.Settings;
  if (key != MenuKey::MenuEnter) return;
  switch (settings.MenuItem) {
    case ItemStartGame:
      game.AreaHeight = settings.GetAreaSize(SideHeight);
      game.AreaWidth = settings.GetAreaSize(SideWidth);
      game.StopClock();
      game.BeginPlay();
      break;
    case ItemPlaySetup:
      game.Host.PlayAudio(SoundMenuIn);
      Open(settings, ScreenPlaySetup, ItemLevel);
      break;
    case ItemGameSetup:
      game.Host.PlayAudio(SoundMenuIn);
      OpenGameSetup(settings, ScreenMainMenu);
      break;
    case ItemExit:
      game.Host.PlayAudio(SoundMenuOut);
      game.StopClock();
      settings.Screen = ScreenExit;
      break;
    default:
      break;
  }
}

void PlaySetupKey(const TKeyContext& context, MenuKey key) {
  TSettings& settings = context.Game.Settings;
  IGameHost& host = context.Game.Host;
  if (settings.MenuItem == ItemExit) {
    if (key != MenuKey::MenuEnter) return;
    host.PlayAudio(SoundMenuOut);
    Open(settings, ScreenMainMenu, ItemPlaySetup);
    return;
  }
  if (key != MenuKey::MenuLeft && key != MenuKey::MenuRight) return;
  const int delta = key == MenuKey::MenuRight ? +1 : -1;
  switch (settings.MenuItem) {
    case ItemLevel:
      host.PlayAudio(SoundMenuLeftRight);
      settings.SetStartLevel(static_cast<int16_t>(settings.GetStartLevel() + delta));
      settings.SetLevel(settings.GetStartLevel());
      break;
    case ItemMode:  // either key toggles; any mode but Standard becomes Standard
      host.PlayAudio(SoundMenuLeftRight);
      settings.ChangeFlags(FlagGameMode, settings.GetFlag(FlagGameMode) == 0 ? 1 : 0);
      LoadHighScores(settings, context.ScoreStore);
      break;
    case ItemHeight:
    case ItemWidth:
      host.PlayAudio(SoundMenuLeftRight);
      settings.ChangeAreaSize(settings.MenuItem == ItemWidth ? SideWidth : SideHeight, delta);
      LoadHighScores(settings, context.ScoreStore);
      break;
    default:
      break;
  }
}

// One step of a volume within 0..10. The sound comes after the change, so that each step is
// heard at its new volume (and the step down to 0 not at all); the music takes its new volume
// first.
void StepVolume(const TKeyContext& context, TFlagField field, MenuKey key) {
  TSettings& settings = context.Game.Settings;
  const uint32_t volume = settings.GetFlag(field);
  int delta = 0;
  if (key == MenuKey::MenuLeft && volume > 0) delta = -1;
  if (key == MenuKey::MenuRight && volume < MaxVolume) delta = +1;
  if (delta == 0) return;
  settings.ChangeFlags(field, delta);
  if (field == FlagMusicVolume) context.Game.Host.PlayAudio(SoundMusic);
  context.Game.Host.PlayAudio(SoundMenuLeftRight);
}

void GameSetupKey(const TKeyContext& context, MenuKey key) {
  TSettings& settings = context.Game.Settings;
  IGameHost& host = context.Game.Host;
  switch (settings.MenuItem) {
    case ItemKeys:
      if (key != MenuKey::MenuEnter) return;
      host.PlayAudio(SoundMenuIn);
      Open(settings, ScreenKeysSetup, ItemLeft);
      break;
    case ItemSound:
      StepVolume(context, FlagSoundVolume, key);
      break;
    case ItemMusic:
      StepVolume(context, FlagMusicVolume, key);
      break;
    case ItemExit:
      if (key != MenuKey::MenuEnter) return;
      host.PlayAudio(SoundMenuOut);
      Open(settings, settings.ReturnScreen == ScreenGameMenu ? ScreenGameMenu : ScreenMainMenu, ItemGameSetup);
      break;
    default:
      break;
  }
}

void KeysSetupKey(const TKeyContext& context, MenuKey key) {
  TSettings& settings = context.Game.Settings;
  IGameHost& host = context.Game.Host;
  if (key != MenuKey::MenuEnter) return;
  switch (settings.MenuItem) {
    case ItemLeft:
    case ItemRight:
    case ItemUp:  // the next key press becomes the binding: 1 Left, 2 Right, 3 Up
      host.PlayAudio(SoundMenuChar);
      settings.KeyToSet = static_cast<uint8_t>(settings.MenuItem - ItemLeft + 1);
      break;
    case ItemExit:
      host.PlayAudio(SoundMenuOut);
      Open(settings, ScreenGameSetup, ItemKeys);
      break;
    default:
      break;
  }
}

// The key press that answers Enter on Left, Right or Up in the keys setup, untranslated. A key
// that cannot be bound leaves the binding as it was; a key bound to another action swaps.
void CaptureKey(const TKeyContext& context, uint16_t key) {
  TSettings& settings = context.Game.Settings;
  context.Game.Host.PlayAudio(SoundMenuChar);
  const int slot = KeySlotLeft + (settings.MenuItem - ItemLeft);
  // The capture ends first, so that a store refusing the binding does not leave it open.
  settings.KeyToSet = 0;
  settings.SetKey(slot, key);
}

void GameMenuKey(const TKeyContext& context, MenuKey key) {
  TGame& game = context.Game;
  TSettings& settings = game.Settings;
  if (key != MenuKey::MenuEnter) return;
  switch (settings.MenuItem) {
    case ItemResumeGame:
      game.ResumeGame();
      break;
    case ItemRestartGame:  // a new game on the area of the one left
      game.BeginPlay();
      break;
    case ItemGameSetup:
      game.Host.PlayAudio(SoundMenuIn);
      OpenGameSetup(settings, ScreenGameMenu);
      break;
    case ItemExit:  // the game is abandoned: no high-score check
      game.Host.PlayAudio(SoundMenuOut);
      Open(settings, ScreenMainMenu, ItemStartGame);
      game.StartDemo();
      break;
    default:
      break;
  }
}

}  // namespace

void MenuKeyDown(const TKeyContext& context, uint16_t key) {
  TSettings& settings = context.Game.Settings;
  if (settings.Screen == ScreenKeysSetup && settings.KeyToSet != 0) {
    CaptureKey(context, key);
    return;
  }
  const MenuKey menuKey = TranslateMenuKey(settings, key);
  if (menuKey == MenuKey::None) return;
  if (menuKey == MenuKey::MenuUp || menuKey == MenuKey::MenuDown) {
    Walk(context, menuKey == MenuKey::MenuDown ? +1 : -1);
    return;
  }
  switch (settings.Screen) {
    case ScreenMainMenu: MainMenuKey(context, menuKey); break;
    case ScreenPlaySetup: PlaySetupKey(context, menuKey); break;
    case ScreenGameSetup: GameSetupKey(context, menuKey); break;
    case ScreenKeysSetup: KeysSetupKey(context, menuKey); break;
    case ScreenGameMenu: GameMenuKey(context, menuKey); break;
    default: break;
  }
}
