#include "render/ComposeScreen.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "core/KeyTable.h"
#include "render/GlyphWidths.h"
#include "render/PlayArea.h"

namespace {

// A stored value outside its range (only an edited store holds one) shows clamped into it,
// so it never picks a glyph that is not a number of the row.
uint32_t NumberGlyph(int value, int low, int high) {
  return FirstNumberGlyph + static_cast<uint32_t>(std::clamp(value, low, high));
}

// The glyph of a key binding; none for a code outside the bindable keys.
std::optional<uint32_t> BindingGlyph(const TSettings& s, int slot, uint16_t code) {
  if (std::find(KeyTable.begin(), KeyTable.end(), code) == KeyTable.end()) return std::nullopt;
  return s.KeyGlyphIndex(slot);
}

class TScreenDrawer {
 public:
  TScreenDrawer(const TScreenView& view, TSurfaceSet& surfaces)
      : View(view), Game(view.Game), S(view.Game.Settings), Set(surfaces) {}

  void PlayScreen() {
    Set[SurfaceGameScreen].Draw();
    Set[SurfaceScoreLevelDigits].DrawNumber(100, S.Score);
    Set[SurfaceScoreLevelDigits].DrawNumber(159, S.Level);
    Set[SurfaceHighScoreDigits].DrawNumber(218, S.BestScore);
    switch (S.Screen) {
      case ScreenMainMenu:
        Board();
        Items({{SurfaceStartGame, ItemStartGame},
               {SurfacePlaySetup, ItemPlaySetup},
               {SurfaceGameSetup, ItemGameSetup},
               {SurfaceExitGame, ItemExit}});
        break;
      case ScreenPlaySetup: PlaySetup(); break;
      case ScreenGameSetup: GameSetup(); break;
      case ScreenKeysSetup: KeysSetup(); break;
      case ScreenGameMenu:
        DrawHighScores(Set, S);
        Items({{SurfaceResumeGame, ItemResumeGame},
               {SurfaceRestartGame, ItemRestartGame},
               {SurfaceGameSetup, ItemGameSetup},
               {SurfaceExit, ItemExit}});
        break;
      case ScreenPlaying: Board(); break;
      case ScreenGameOver:
        Board();
        Set[SurfaceGameOver].Draw();
        break;
      case ScreenCongratulations:
        DrawPlayArea(Set, S, MaxAreaWidth, MaxAreaHeight, false);
        Set[SurfaceCongratulations].Draw();
        Set[SurfaceScoreChars].DrawBigText(147, std::to_string(S.Score));
        Set[SurfaceScoreChars].DrawBigText(189, S.HighScoreNames[5]);
        break;
      case ScreenHighScores: DrawHighScores(Set, S); break;
      default: break;
    }
  }

 private:
  void Board() { DrawGame(Set, Game, View.ColourMarks); }
  bool Selected(TMenuItem item) const { return S.MenuItem == item; }
  void Item(TSurfaceIndex surface, TMenuItem item) { Set[surface].DrawItem(Selected(item)); }
  void Items(std::initializer_list<std::pair<TSurfaceIndex, TMenuItem>> items) {
    for (const auto& [surface, item] : items) Item(surface, item);
  }
  void Glyph(int x, int y, uint32_t index, TMenuItem row) {
    Set[SurfaceKeysNumbers].DrawKeyGlyph(x, y, index, Selected(row));
  }

  void PlaySetup() {
    Board();
    Item(SurfaceLevel, ItemLevel);
    Glyph(554, 277, NumberGlyph(S.StartLevel, 0, TopLevel), ItemLevel);
    Item(SurfaceMode, ItemMode);
    // Only mode 1 plays the Advanced rules, so only mode 1 is shown as Advanced.
    Set[S.GetFlag(FlagGameMode) == 1 ? SurfaceAdvanced : SurfaceStandard].DrawItem(Selected(ItemMode));
    Item(SurfaceHeight, ItemHeight);
    Glyph(554, 345, NumberGlyph(S.HeightSetting, MinAreaHeight, MaxAreaHeight), ItemHeight);
    Item(SurfaceWidth, ItemWidth);
    Glyph(554, 379, NumberGlyph(S.WidthSetting, MinAreaWidth, MaxAreaWidth), ItemWidth);
    Set[SurfaceExit].DrawItemAt(Selected(ItemExit), 413);
  }

  // Opened from the in-game menu, setup hides the board behind the table.
  void SetupBackground() {
    if (S.ReturnScreen == ScreenGameMenu)
      DrawHighScores(Set, S);
    else
      Board();
  }

  // A volume is its number, or Off when it is 0 or its device is missing.
  void Volume(bool available, uint32_t volume, int y, TMenuItem row) {
    volume = std::min<uint32_t>(volume, MaxVolume);
    if (available && volume != 0)
      Glyph(547, y, FirstNumberGlyph + volume, row);
    else
      Set[SurfaceOff].DrawItemAt(Selected(row), y);
  }

  void GameSetup() {
    SetupBackground();
    Item(SurfaceKeys, ItemKeys);
    Item(SurfaceSound, ItemSound);
    Volume(View.SoundAvailable, S.GetFlag(FlagSoundVolume), 311, ItemSound);
    Item(SurfaceMusic, ItemMusic);
    Volume(View.MusicAvailable, S.GetFlag(FlagMusicVolume), 345, ItemMusic);
    Item(SurfaceExit, ItemExit);
  }

  // The row whose key is being redefined shows its label only.
  void KeyRow(TSurfaceIndex label, TMenuItem row, int slot, uint16_t code, uint8_t awaiting, int y) {
    Item(label, row);
    if (S.KeyToSet == awaiting) return;
    if (const auto glyph = BindingGlyph(S, slot, code)) Glyph(534, y, *glyph, row);
  }

  void KeysSetup() {
    SetupBackground();
    KeyRow(SurfaceLeft, ItemLeft, KeySlotLeft, S.KeyLeft, 1, 277);
    KeyRow(SurfaceRight, ItemRight, KeySlotRight, S.KeyRight, 2, 311);
    KeyRow(SurfaceUp, ItemUp, KeySlotUp, S.KeyUp, 3, 345);
    Item(SurfaceExit, ItemExit);
  }

  const TScreenView& View;
  const TGame& Game;
  const TSettings& S;
  TSurfaceSet& Set;
};

}  // namespace

void ComposeScreen(const TScreenView& view, TSurfaceSet& surfaces, IComposeHost& host) {
  switch (view.Game.Settings.Screen) {
    case ScreenTitle:
      host.SetWaitCursor();
      surfaces[SurfaceTitleScreen].Draw();
      host.EnableTimerTitle();
      break;
    case ScreenExit:
      surfaces[SurfaceTitleScreen].Draw();
      host.EnableTimerExit();
      break;
    default: TScreenDrawer(view, surfaces).PlayScreen(); break;
  }
  surfaces[BackBuffer].Present();
}

void DrawHighScores(TSurfaceSet& surfaces, const TSettings& settings) {
  DrawPlayArea(surfaces, settings, MaxAreaWidth, MaxAreaHeight, false);
  surfaces[SurfaceHighScore].Draw();
  surfaces[SurfacePlayerScore].Draw();
  for (int i = 0; i < 5; ++i) {
    if (settings.HighScores[i] == 0) continue;
    const int y = 110 + 20 * i;
    surfaces[SurfaceHighScoreChars].DrawSmallText(120, y, settings.HighScoreNames[i]);
    surfaces[SurfaceHighScoreChars].DrawSmallText(267, y, std::to_string(settings.HighScores[i]));
  }
}

void FormPaint(TSurfaceSet& surfaces) { surfaces[BackBuffer].Present(); }
