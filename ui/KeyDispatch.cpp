#include "ui/KeyDispatch.h"

#include "core/Game.h"
#include "ui/HighScores.h"
#include "ui/Menus.h"

namespace {

void PlayKeyDown(TGame& game, uint16_t key) {
  switch (TranslatePlayKey(game.Settings, key)) {
    case PlayKey::PlayLeft: game.PlayLeft(); break;
    case PlayKey::PlayRight: game.PlayRight(); break;
    case PlayKey::PlayUp: game.PlayUp(); break;
    case PlayKey::PlayEscape: game.PlayEscape(); break;
    case PlayKey::None: break;
  }
}

}  // namespace

void ScreenKeyDown(const TKeyContext& context, uint16_t key) {
  switch (context.Game.Settings.Screen) {
    case ScreenMainMenu:
    case ScreenPlaySetup:
    case ScreenGameSetup:
    case ScreenKeysSetup:
    case ScreenGameMenu:
      MenuKeyDown(context, key);
      break;
    case ScreenPlaying:
      PlayKeyDown(context.Game, key);
      break;
    case ScreenCongratulations:
      NameEntryKeyDown(context, key);
      break;
    case ScreenHighScores:
      HighScoresKeyDown(context);
      break;
    default:  // title, game over, exit and start-up take no keys
      break;
  }
}
