#include <gtest/gtest.h>

#include <memory>

#include "core/ColourRules.h"
#include "shell/Window.h"
#include "support/TempStore.h"
#include "ui/KeyDispatch.h"

namespace {

constexpr uint16_t KeyA = 65, KeyD = 68, KeyW = 87;

// A player's game on a quiet board: plain tiles, no clock, a fixed tick count, and one
// bubble of a chosen colour rising at a chosen cell.
class PlayControls : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<TFormWindow>();
    w->TickCount = [] { return 1234u; };
    w->Settings.KeyLeft = KeyA;
    w->Settings.KeyRight = KeyD;
    w->Settings.KeyUp = KeyW;
    w->Settings.Screen = ScreenPlaying;
    w->AreaWidth = 7;
    w->AreaHeight = 10;
    w->SpawnColumn = 3;
    for (int c = 0; c < w->AreaWidth; ++c)
      for (int r = 0; r < w->AreaHeight; ++r) w->Settings.Areas[c][r] = std::make_unique<TArea>(0);
  }

  void Moving(int column, int row, uint8_t colour) {
    w->Settings.Bubbles[column][row] = std::make_unique<TBubble>(colour);
    w->BubbleColumn = static_cast<int16_t>(column);
    w->BubbleRow = static_cast<int16_t>(row);
    w->BubbleInFlight = true;
  }
  void Put(int column, int row, uint8_t colour) { w->Settings.Bubbles[column][row] = std::make_unique<TBubble>(colour); }
  void Tile(int column, int row, uint8_t value) { w->Settings.Areas[column][row] = std::make_unique<TArea>(value); }
  bool At(int column, int row) const { return w->Settings.Bubbles[column][row] != nullptr; }
  void Press(uint16_t key) {
    w->FormKeyDown(key);
    w->FormKeyUp(key);
  }

  TempStore store;
  std::unique_ptr<TFormWindow> w;
};

TEST(KeyTranslation, BoundKeysWinInTheOrderLeftRightUpAndMenusUseArrows) {
  TempStore store;
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

TEST_F(PlayControls, HeldKeyActsOnceAndAnyKeyUpRearms) {
  Moving(3, 9, 1);
  w->FormKeyDown(KeyA);
  w->FormKeyDown(KeyA);  // auto-repeat
  w->FormKeyDown(KeyD);  // second key while the first is held
  EXPECT_EQ(w->BubbleColumn, 2);
  EXPECT_TRUE(At(2, 9));

  w->FormKeyUp(KeyD);  // releasing any key re-arms
  w->FormKeyDown(KeyA);
  EXPECT_EQ(w->BubbleColumn, 1);
  EXPECT_TRUE(At(1, 9));
  EXPECT_FALSE(At(2, 9));
  EXPECT_FALSE(At(3, 9));
}

TEST_F(PlayControls, KeysOnScreensWithoutHandlingOnlySetTheLatch) {
  Moving(3, 9, 1);
  w->Settings.Screen = ScreenGameOver;
  w->FormKeyDown(KeyA);
  EXPECT_EQ(w->KeyHeld, 1);
  EXPECT_EQ(w->BubbleColumn, 3);
}

TEST_F(PlayControls, SidewaysStopsAtTheEdgesAndAtAnOccupiedNeighbour) {
  Moving(0, 9, 1);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 0);

  w->Settings.Bubbles[0][9].reset();
  Moving(6, 9, 1);
  Press(KeyD);
  EXPECT_EQ(w->BubbleColumn, 6);

  w->Settings.Bubbles[6][9].reset();
  Moving(3, 9, 1);
  Put(2, 9, 4);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 3);
  EXPECT_TRUE(At(3, 9));
}

TEST_F(PlayControls, NoSidewaysMoveInTheColumnStillMarkedAsLanded) {
  Moving(3, 9, 1);
  w->LandedColumn = 3;
  w->LandedRow = 2;
  Press(KeyA);
  Press(KeyD);
  EXPECT_EQ(w->BubbleColumn, 3);
}

TEST_F(PlayControls, AdvancedMoveCarriesToTheNearestColumnOfferingARest) {
  w->AdvancedGame = 1;
  // A red bubble in column 5: column 4 offers only A-blue, column 3 only A-blue and one
  // A-green, column 2 has an A-red high up: the bubble goes straight to column 2.
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) Tile(c, r, 4);
  Tile(3, 5, 3);
  Tile(2, 1, 2);
  Tile(0, 8, 2);
  Moving(5, 8, 1);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 2);
  EXPECT_TRUE(At(2, 8));
  EXPECT_FALSE(At(5, 8));
  EXPECT_TRUE(w->BubbleInFlight);

  // Nothing further left offers a rest above a bubble in the way: column 1 no, column 0 has
  // A-red in row 8, but its cell in the bubble's row is taken, so it is passed over too.
  Put(0, 8, 2);
  Tile(2, 1, 4);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 2);
}

TEST_F(PlayControls, AdvancedMovePassesColumnsWhoseCellBesideIsTaken) {
  w->AdvancedGame = 1;
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) Tile(c, r, 4);
  Put(3, 7, 4);   // column 3 is occupied in the bubble's row
  Tile(3, 2, 2);  // though it would have offered a resting place
  Tile(2, 3, 2);
  Moving(5, 7, 1);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 2);
  EXPECT_TRUE(At(2, 7));
  EXPECT_FALSE(At(5, 7));

  // Only the cell directly beside the bubble must be free.
  Put(1, 7, 4);
  Tile(0, 0, 2);
  Press(KeyA);
  EXPECT_EQ(w->BubbleColumn, 2);
}

TEST_F(PlayControls, SidewaysUnderABubbleRestsResolvesAndLetsTheNextOneEnter) {
  Put(2, 8, 1);  // red above the target cell
  Moving(3, 9, 3);  // red+green moves under it
  Press(KeyA);
  // The bubble rested in (2, 9); the bubble above is no neighbour, its row not being full.
  ASSERT_TRUE(At(2, 9));
  EXPECT_EQ(w->Settings.Bubbles[2][9]->GetColour(), 3);
  EXPECT_EQ(w->Settings.Bubbles[2][8]->GetColour(), 1);
  EXPECT_EQ(w->LandedColumn, 2);
  EXPECT_EQ(w->LandedRow, 9);
  // The next bubble entered at once in the entry cell.
  EXPECT_TRUE(w->BubbleInFlight);
  EXPECT_EQ(w->BubbleRow, 9);
  EXPECT_EQ(w->BubbleColumn, 3);
  EXPECT_TRUE(At(3, 9));
}

TEST_F(PlayControls, SidewaysRestCancelsSharedComponentsWithNewNeighbours) {
  Put(1, 9, 1);  // red on the left of the target
  Put(2, 8, 4);  // something above the target, so the move rests
  Moving(3, 9, 3);
  Press(KeyA);
  EXPECT_EQ(w->Settings.Bubbles[1][9]->GetColour(), 0);
  EXPECT_EQ(w->Settings.Bubbles[2][9]->GetColour(), 2);
}

TEST_F(PlayControls, UpInStandardRulesRisesToTheTopForTenPointsARow) {
  Moving(3, 5, 2);
  Press(KeyW);
  EXPECT_TRUE(At(3, 0));
  EXPECT_FALSE(At(3, 5));
  EXPECT_EQ(w->Settings.Score, 50u);
  EXPECT_EQ(w->LandedColumn, 3);
  EXPECT_EQ(w->LandedRow, 0);
  // The next bubble is already in the entry cell.
  EXPECT_EQ(w->BubbleRow, 9);
  EXPECT_TRUE(At(3, 9));
}

TEST_F(PlayControls, UpStopsUnderTheFirstBubbleAndRaisesTheBestScore) {
  w->Settings.BestScore = 20;
  Put(3, 2, 4);
  Moving(3, 7, 2);
  Press(KeyW);
  EXPECT_TRUE(At(3, 3));
  EXPECT_EQ(w->Settings.Score, 40u);
  EXPECT_EQ(w->Settings.BestScore, 40u);
}

TEST_F(PlayControls, UpInAdvancedRulesStopsOnTheHighestAcceptingTile) {
  w->AdvancedGame = 1;
  for (int r = 0; r < 10; ++r) Tile(3, r, 4);
  Tile(3, 6, 2);
  Tile(3, 4, 2);
  Moving(3, 8, 1);
  Press(KeyW);
  EXPECT_TRUE(At(3, 4));
  EXPECT_EQ(w->Settings.Score, 40u);
}

TEST_F(PlayControls, UpWithNoRowToRiseRestsInPlace) {
  w->AdvancedGame = 1;
  for (int r = 0; r < 10; ++r) Tile(3, r, 4);
  Put(2, 8, 1);
  Moving(3, 8, 1);
  Press(KeyW);
  EXPECT_TRUE(At(3, 8));
  EXPECT_EQ(w->Settings.Score, 0u);
  EXPECT_EQ(w->Settings.Bubbles[2][8]->GetColour(), 0);  // resolved where it stood
  // The next bubble entered under it and rested at once in the entry cell.
  EXPECT_TRUE(At(3, 9));
  EXPECT_EQ(w->LandedRow, 9);
}

TEST_F(PlayControls, UpDoesNothingWhileTheLandedRowIsTheBubblesRow) {
  Moving(3, 9, 2);
  w->LandedColumn = 3;
  w->LandedRow = 9;
  Press(KeyW);
  EXPECT_TRUE(At(3, 9));
  EXPECT_EQ(w->Settings.Score, 0u);
}

TEST_F(PlayControls, EscapePausesAndATickPostedBeforeItIsDropped) {
  Moving(3, 9, 2);
  w->StartClock(1000);
  const uint32_t before = w->TimerId;
  ASSERT_NE(before, 0u);
  Press(VkEscape);
  EXPECT_EQ(w->TimerId, 0u);
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w->Settings.MenuItem, ItemResumeGame);

  w->OnClockTick(before);  // a tick that was already on its way
  EXPECT_TRUE(At(3, 9));
  EXPECT_FALSE(At(3, 8));

  Press(VkEscape);  // Escape means nothing in a menu
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
}

}  // namespace
