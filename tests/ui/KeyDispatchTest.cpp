#include "ui/KeyDispatch.h"

#include <gtest/gtest.h>

#include "UiGame.h"
#include "core/Game.h"

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
class KeyDispatch : public UiGame {};

TEST_F(KeyDispatch, PlayKeysActOnlyDuringPlay) {
  Settings.KeyLeft = KeyA;
  Settings.KeyRight = KeyD;
  Settings.KeyUp = KeyW;
  Game.AreaWidth = 7;
  Game.AreaHeight = 10;
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) Settings.Areas[c][r] = std::make_unique<TArea>(0);
  Settings.Bubbles[3][9] = std::make_unique<TBubble>(1);
  Game.BubbleColumn = 3;
  Game.BubbleRow = 9;
  Game.BubbleInFlight = true;

  for (const TScreen screen : {ScreenTitle, ScreenGameOver, ScreenExit, ScreenNone}) {
    Settings.Screen = screen;
    Press(KeyA);
    Press(VkEscape);
    EXPECT_EQ(Game.BubbleColumn, 3) << int(screen);
    EXPECT_EQ(Settings.Screen, screen);
  }
  EXPECT_TRUE(Host.Calls.empty());
  Settings.Screen = ScreenPlaying;
  Press(KeyA);
  EXPECT_EQ(Game.BubbleColumn, 2);
  Press(KeyD);
  EXPECT_EQ(Game.BubbleColumn, 3);
  Press(VkEscape);
  EXPECT_EQ(Settings.Screen, ScreenGameMenu);
  EXPECT_TRUE(Host.Sounds == (std::vector<int>{SoundPlayLeftRight, SoundPlayLeftRight, SoundMenuIn}));
}

}  // namespace
