// The window as a thin owner: the key latch and the game clock's stale ticks, on a real
// (headless) window and a private store.
#include "shell/Window.h"

#include <gtest/gtest.h>

#include "support/TempStore.h"
#include "ui/KeyDispatch.h"

namespace {

constexpr uint16_t KeyA = 65, KeyD = 68;

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<TFormWindow>();
    TSettings& s = w->Settings;
    s.KeyLeft = KeyA;
    s.KeyRight = KeyD;
    s.Screen = ScreenPlaying;
    w->Game.TickCount = [] { return 1234u; };
    w->Game.AreaWidth = 7;
    w->Game.AreaHeight = 10;
    for (int c = 0; c < 7; ++c)
      for (int r = 0; r < 10; ++r) s.Areas[c][r] = std::make_unique<TArea>(0);
    s.Bubbles[3][9] = std::make_unique<TBubble>(1);
    w->Game.BubbleColumn = 3;
    w->Game.BubbleRow = 9;
    w->Game.BubbleInFlight = true;
  }

  TempStore Store;  // never the player's own settings
  std::unique_ptr<TFormWindow> w;
};

TEST_F(Window, HeldKeyActsOnceAndAnyKeyUpRearms) {
  w->FormKeyDown(KeyA);
  w->FormKeyDown(KeyA);  // auto-repeat
  w->FormKeyDown(KeyD);  // second key while the first is held
  EXPECT_EQ(w->Game.BubbleColumn, 2);

  w->FormKeyUp(KeyD);  // releasing any key re-arms
  w->FormKeyDown(KeyA);
  EXPECT_EQ(w->Game.BubbleColumn, 1);

  w->Settings.Screen = ScreenGameOver;  // a screen without keys still takes the press
  w->FormKeyUp(KeyA);
  w->FormKeyDown(KeyD);
  EXPECT_EQ(w->KeyHeld, 1);
  EXPECT_EQ(w->Game.BubbleColumn, 1);
}

TEST_F(Window, OnlyTicksOfTheRunningClockReachTheGame) {
  w->StartClock(1000);
  const uint32_t id = w->Clock.TimerId;
  ASSERT_NE(id, 0u);
  w->Clock.OnClockTick(id + 1);
  EXPECT_EQ(w->Game.BubbleRow, 9);
  w->Clock.OnClockTick(id);
  EXPECT_EQ(w->Game.BubbleRow, 8);

  // Restarted (as on a level change): the old clock's late ticks are dropped.
  w->StartClock(900);
  EXPECT_NE(w->Clock.TimerId, id);
  EXPECT_EQ(w->Clock.Period, 900);
  w->Clock.OnClockTick(id);
  EXPECT_EQ(w->Game.BubbleRow, 8);
  w->Clock.OnClockTick(w->Clock.TimerId);
  EXPECT_EQ(w->Game.BubbleRow, 7);

  // Escape stops the clock: a tick that was already on its way changes nothing.
  const uint32_t last = w->Clock.TimerId;
  w->FormKeyDown(VkEscape);
  EXPECT_EQ(w->Clock.TimerId, 0u);
  w->Clock.OnClockTick(last);
  w->Clock.OnClockTick(0);
  EXPECT_EQ(w->Game.BubbleRow, 7);
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
}

}  // namespace
