#include "ui/KeyDispatch.h"

#include <gtest/gtest.h>

#include "core/Game.h"
#include "support/RecordingHost.h"

namespace {

constexpr uint16_t KeyA = 65, KeyD = 68, KeyW = 87;

TEST(KeyTranslation, BoundKeysWinInTheOrderLeftRightUpAndMenusUseArrows) {
  TSettings s;
  s.KeyLeft = KeyA;
  s.KeyRight = KeyA;  // a clash only a damaged store can produce: Left wins
  s.KeyUp = VkEscape;
  EXPECT_EQ(TranslatePlayKey(s, KeyA), PlayKey::PlayLeft);
  EXPECT_EQ(TranslatePlayKey(s, VkEscape), PlayKey::PlayUp);
  s.KeyUp = KeyW;
  EXPECT_EQ(TranslatePlayKey(s, VkEscape), PlayKey::PlayEscape);
  EXPECT_EQ(TranslatePlayKey(s, VkLeft), PlayKey::None);

  EXPECT_EQ(TranslateMenuKey(s, VkReturn), MenuKey::MenuEnter);
  EXPECT_EQ(TranslateMenuKey(s, VkLeft), MenuKey::MenuLeft);
  EXPECT_EQ(TranslateMenuKey(s, VkRight), MenuKey::MenuRight);
  EXPECT_EQ(TranslateMenuKey(s, VkUp), MenuKey::MenuUp);
  EXPECT_EQ(TranslateMenuKey(s, VkDown), MenuKey::MenuDown);
  EXPECT_EQ(TranslateMenuKey(s, KeyA), MenuKey::None);
  EXPECT_EQ(TranslateMenuKey(s, VkEscape), MenuKey::None);
}

// The bound keys move the bubble only while a game is played; on screens without key
// handling a key changes nothing.
TEST(KeyDispatch, PlayKeysActOnlyDuringPlay) {
  TSettings settings;
  RecordingHost host;
  TGame game(settings, host);
  settings.KeyLeft = KeyA;
  settings.KeyRight = KeyD;
  settings.KeyUp = KeyW;
  game.AreaWidth = 7;
  game.AreaHeight = 10;
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) settings.Areas[c][r] = std::make_unique<TArea>(0);
  settings.Bubbles[3][9] = std::make_unique<TBubble>(1);
  game.BubbleColumn = 3;
  game.BubbleRow = 9;
  game.BubbleInFlight = true;

  for (const TScreen screen : {ScreenTitle, ScreenGameOver, ScreenExit, ScreenNone}) {
    settings.Screen = screen;
    ScreenKeyDown(game, KeyA);
    ScreenKeyDown(game, VkEscape);
    EXPECT_EQ(game.BubbleColumn, 3) << int(screen);
    EXPECT_EQ(settings.Screen, screen);
  }
  settings.Screen = ScreenPlaying;
  ScreenKeyDown(game, KeyA);
  EXPECT_EQ(game.BubbleColumn, 2);
  ScreenKeyDown(game, KeyD);
  EXPECT_EQ(game.BubbleColumn, 3);
  ScreenKeyDown(game, VkEscape);
  EXPECT_EQ(settings.Screen, ScreenGameMenu);
  EXPECT_TRUE(host.Sounds == (std::vector<int>{SoundPlayLeftRight, SoundPlayLeftRight, SoundMenuIn}));
}

}  // namespace
