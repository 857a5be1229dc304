#include <gtest/gtest.h>

#include <memory>

#include "core/ColourRules.h"
#include "core/Game.h"
#include "support/RecordingHost.h"

namespace {

// A player's game on a quiet board: plain tiles, no clock, a fixed tick count, and one
// bubble of a chosen colour rising at a chosen cell.
class PlayMoves : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<TGame>(Settings, Host);
    w->TickCount = [] { return 1234u; };
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

  TSettings Settings;
  RecordingHost Host;
  std::unique_ptr<TGame> w;
};

TEST_F(PlayMoves, SidewaysStopsAtTheEdgesAndAtAnOccupiedNeighbour) {
  Moving(0, 9, 1);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 0);

  w->Settings.Bubbles[0][9].reset();
  Moving(6, 9, 1);
  w->PlayRight();
  EXPECT_EQ(w->BubbleColumn, 6);

  w->Settings.Bubbles[6][9].reset();
  Moving(3, 9, 1);
  Put(2, 9, 4);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 3);
  EXPECT_TRUE(At(3, 9));
}

TEST_F(PlayMoves, NoSidewaysMoveInTheColumnStillMarkedAsLanded) {
  Moving(3, 9, 1);
  w->LandedColumn = 3;
  w->LandedRow = 2;
  w->PlayLeft();
  w->PlayRight();
  EXPECT_EQ(w->BubbleColumn, 3);
}

TEST_F(PlayMoves, AdvancedMoveCarriesToTheNearestColumnOfferingARest) {
  w->AdvancedGame = 1;
  // A red bubble in column 5: column 4 offers only A-blue, column 3 only A-blue and one
  // A-green, column 2 has an A-red high up: the bubble goes straight to column 2.
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) Tile(c, r, 4);
  Tile(3, 5, 3);
  Tile(2, 1, 2);
  Tile(0, 8, 2);
  Moving(5, 8, 1);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 2);
  EXPECT_TRUE(At(2, 8));
  EXPECT_FALSE(At(5, 8));
  EXPECT_TRUE(w->BubbleInFlight);

  // Nothing further left offers a rest above a bubble in the way: column 1 no, column 0 has
  // A-red in row 8, but its cell in the bubble's row is taken, so it is passed over too.
  Put(0, 8, 2);
  Tile(2, 1, 4);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 2);
}

TEST_F(PlayMoves, AdvancedMovePassesColumnsWhoseCellBesideIsTaken) {
  w->AdvancedGame = 1;
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) Tile(c, r, 4);
  Put(3, 7, 4);   // column 3 is occupied in the bubble's row
  Tile(3, 2, 2);  // though it would have offered a resting place
  Tile(2, 3, 2);
  Moving(5, 7, 1);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 2);
  EXPECT_TRUE(At(2, 7));
  EXPECT_FALSE(At(5, 7));

  // Only the cell directly beside the bubble must be free.
  Put(1, 7, 4);
  Tile(0, 0, 2);
  w->PlayLeft();
  EXPECT_EQ(w->BubbleColumn, 2);
}

TEST_F(PlayMoves, SidewaysUnderABubbleRestsResolvesAndLetsTheNextOneEnter) {
  Put(2, 8, 1);  // red above the target cell
  Moving(3, 9, 3);  // red+green moves under it
  w->PlayLeft();
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

TEST_F(PlayMoves, SidewaysRestCancelsSharedComponentsWithNewNeighbours) {
  Put(1, 9, 1);  // red on the left of the target
  Put(2, 8, 4);  // something above the target, so the move rests
  Moving(3, 9, 3);
  w->PlayLeft();
  EXPECT_EQ(w->Settings.Bubbles[1][9]->GetColour(), 0);
  EXPECT_EQ(w->Settings.Bubbles[2][9]->GetColour(), 2);
}

TEST_F(PlayMoves, UpInStandardRulesRisesToTheTopForTenPointsARow) {
  Moving(3, 5, 2);
  w->PlayUp();
  EXPECT_TRUE(At(3, 0));
  EXPECT_FALSE(At(3, 5));
  EXPECT_EQ(w->Settings.Score, 50u);
  EXPECT_EQ(w->LandedColumn, 3);
  EXPECT_EQ(w->LandedRow, 0);
  // The next bubble is already in the entry cell.
  EXPECT_EQ(w->BubbleRow, 9);
  EXPECT_TRUE(At(3, 9));
}

TEST_F(PlayMoves, UpStopsUnderTheFirstBubbleAndRaisesTheBestScore) {
  w->Settings.BestScore = 20;
  Put(3, 2, 4);
  Moving(3, 7, 2);
  w->PlayUp();
  EXPECT_TRUE(At(3, 3));
  EXPECT_EQ(w->Settings.Score, 40u);
  EXPECT_EQ(w->Settings.BestScore, 40u);
}

TEST_F(PlayMoves, UpInAdvancedRulesStopsOnTheHighestAcceptingTile) {
  w->AdvancedGame = 1;
  for (int r = 0; r < 10; ++r) Tile(3, r, 4);
  Tile(3, 6, 2);
  Tile(3, 4, 2);
  Moving(3, 8, 1);
  w->PlayUp();
  EXPECT_TRUE(At(3, 4));
  EXPECT_EQ(w->Settings.Score, 40u);
}

TEST_F(PlayMoves, UpWithNoRowToRiseRestsInPlace) {
  w->AdvancedGame = 1;
  for (int r = 0; r < 10; ++r) Tile(3, r, 4);
  Put(2, 8, 1);
  Moving(3, 8, 1);
  w->PlayUp();
  EXPECT_TRUE(At(3, 8));
  EXPECT_EQ(w->Settings.Score, 0u);
  EXPECT_EQ(w->Settings.Bubbles[2][8]->GetColour(), 0);  // resolved where it stood
  // The next bubble entered under it and rested at once in the entry cell.
  EXPECT_TRUE(At(3, 9));
  EXPECT_EQ(w->LandedRow, 9);
}

TEST_F(PlayMoves, UpDoesNothingWhileTheLandedRowIsTheBubblesRow) {
  Moving(3, 9, 2);
  w->LandedColumn = 3;
  w->LandedRow = 9;
  w->PlayUp();
  EXPECT_TRUE(At(3, 9));
  EXPECT_EQ(w->Settings.Score, 0u);
}

TEST_F(PlayMoves, EscapeStopsTheClockThenSoundsAndOpensTheInGameMenu) {
  Moving(3, 9, 2);
  Host.StartClock(1000);
  Host.Calls.clear();
  w->PlayEscape();
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"stop", "sound 2"}));
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w->Settings.MenuItem, ItemResumeGame);
  EXPECT_TRUE(At(3, 9)) << "the board waits untouched";
}

}  // namespace
