#include "ui/KeyDispatch.h"

#include <gtest/gtest.h>

#include <functional>

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

// The window composes the screen once at the end of every key press, so the key handling
// composes nothing itself, also where it runs the steps of a tick: a bubble brought to rest by
// Up or by a sideways move (the next one enters at once), a game begun or begun again, a demo
// game started behind the main menu.
TEST_F(KeyDispatch, KeyPressesThatRunATickLeaveTheCompositionToTheWindow) {
  const auto playing = [this] {
    Settings.Screen = ScreenPlaying;
    Game.AreaWidth = 7;
    Game.AreaHeight = 10;
    Game.BeginPlay();
  };
  const struct {
    const char* What;
    std::function<void()> Setup;
    uint16_t Key;
  } cases[] = {
      {"Up", playing, VkUp},
      {"Left under a bubble",
       [&] {
         playing();
         Settings.Bubbles[2][8] = std::make_unique<TBubble>(2);
       },
       VkLeft},
      {"Start game", [&] { On(ScreenMainMenu, ItemStartGame); }, VkReturn},
      {"Restart game",
       [&] {
         playing();
         On(ScreenGameMenu, ItemRestartGame);
       },
       VkReturn},
      {"Exit from the in-game menu",
       [&] {
         playing();
         On(ScreenGameMenu, ItemExit);
       },
       VkReturn},
      {"a key on the high-score table", [&] { On(ScreenHighScores, ItemExit); }, VkReturn},
  };
  for (const auto& c : cases) {
    c.Setup();
    const uint32_t ticksBefore = Ticks;  // each entering bubble reads the tick count
    Host.Compositions = 0;
    Press(c.Key);
    EXPECT_GT(Ticks, ticksBefore) << c.What << ": no bubble entered";
    EXPECT_EQ(Host.Compositions, 0) << c.What;
  }
}

}  // namespace
