#include <gtest/gtest.h>

#include "GameBoard.h"
#include "core/ColourRules.h"

namespace {

class DemoPlayer : public GameBoard {
 protected:
  // A demo board with plain tiles, behind the main menu.
  void DemoBoard(uint16_t width, uint16_t height) {
    S().Screen = ScreenMainMenu;
    PlainBoard(width, height);
  }
  void TileColumn(int column, uint8_t value) {
    for (int r = 0; r < W().AreaHeight; ++r) Tile(column, r, value);
  }
};

TEST_F(DemoPlayer, OnAnEmptyBoardTheHighestRiseWinsAndTiesGoLeft) {
  DemoBoard(7, 10);
  InFlight(3, 9, ComponentRed);
  W().ChooseDemoColumn();
  EXPECT_EQ(W().DemoTargetColumn, 0);
  EXPECT_EQ(W().DemoBestValue, 9);

  // Columns 0 and 1 offer red no tile at the top; column 5's A-red takes it as well as plain.
  Tile(0, 0, 4);
  Tile(0, 1, 4);
  Tile(1, 0, 3);
  Tile(5, 0, 2);
  W().ChooseDemoColumn();
  EXPECT_EQ(W().DemoTargetColumn, 2);
  EXPECT_EQ(W().DemoBestValue, 9);
}

TEST_F(DemoPlayer, CompletingABlackRowIsWorthTwoThousandAndWins) {
  DemoBoard(5, 9);
  FillRow(0, 0, {4});
  InFlight(2, 8, 0);
  W().ChooseDemoColumn();
  EXPECT_EQ(W().DemoTargetColumn, 4);
  EXPECT_EQ(W().DemoBestValue, 2000 + 8);
  EXPECT_TRUE(W().DemoLineFound);
  EXPECT_EQ(ColourAt(4, 0), -1) << "the trial leaves no bubble behind";
}

TEST_F(DemoPlayer, AColumnBehindAnOccupiedDiagonalIsNotChosen) {
  DemoBoard(7, 9);
  FillRow(2, 0, {6});
  Put(6, 1, ComponentGreen);
  InFlight(3, 8, 0);
  W().ChooseDemoColumn();
  ASSERT_EQ(W().DemoTargetColumn, 6) << "with a clear diagonal the row completion wins";

  Put(5, 5, ComponentGreen);
  W().DemoLineFound = false;
  W().ChooseDemoColumn();
  EXPECT_NE(W().DemoTargetColumn, 6);
  EXPECT_EQ(W().DemoRow, -2) << "column 6, the last valued, is marked blocked";
  EXPECT_LT(W().DemoBestValue, 2000);
}

TEST_F(DemoPlayer, WhenNoColumnIsWorthMoreThanNothingTheBubbleRisesStraightUp) {
  DemoBoard(5, 8);
  for (int r = 0; r <= 5; ++r) FillRow(r, 0);
  Put(0, 5, ComponentRed);
  Put(4, 5, ComponentRed);
  FillRow(6, 0, {2});
  // The white bubble's only place is shut in between black bubbles: worth 1 - 18.
  QueueColours({7, 0});
  W().BubbleInFlight = false;
  W().BubbleColumn = W().BubbleRow = -1;
  W().GameTick();
  ASSERT_EQ(W().BubbleColumn, 2);
  ASSERT_EQ(W().BubbleRow, 7);
  EXPECT_EQ(W().DemoTargetColumn, -1);
  EXPECT_EQ(W().DemoBestValue, 0);
  const TBubble* white = S().Bubbles[2][7].get();

  W().GameTick();
  EXPECT_EQ(S().Bubbles[2][6].get(), white);
  EXPECT_EQ(ColourAt(2, 6), 7);
}

TEST_F(DemoPlayer, ATrialPlacementIsValuedAndUndoneCompletely) {
  DemoBoard(5, 9);
  FillRow(3, ComponentGreen);
  Put(2, 3, ComponentRed);
  Put(0, 4, ComponentGreen);
  Put(1, 4, ComponentRed);
  Put(3, 4, ComponentRed | ComponentBlue);
  InFlight(2, 8, ComponentRed);
  const BoardSnapshot before = Snapshot(S());

  W().DemoColumn = 2;
  W().DemoRow = 3;  // the obstacle
  W().DemoValue = 0;
  W().EvaluateColumn();
  EXPECT_EQ(W().DemoRow, 4);
  // A rise of 4, and red cancelled in the bubble above, on both sides and in the bubble itself.
  EXPECT_EQ(W().DemoValue, 4 + 2 + 2 + 2 + 2);
  EXPECT_EQ(Snapshot(S()), before);

  // A shut-in neighbour keeping a component costs 6 for it; an empty cell above costs 2.
  S().Bubbles[4][3].reset();
  Put(2, 4, ComponentGreen);
  W().DemoColumn = 4;
  W().DemoRow = 3;
  W().DemoValue = 0;
  W().EvaluateColumn();
  EXPECT_EQ(W().DemoRow, 4);
  // Rise 4; the red+blue neighbour, shut in, loses red (+2) and keeps blue (-6); the bubble
  // itself loses red (+2) and sits at the wall beside a bubble, with nothing left to cost.
  EXPECT_EQ(W().DemoValue, 4 + 2 - 6 + 2 - 2);
  EXPECT_EQ(ColourAt(3, 4), ComponentRed | ComponentBlue);
  EXPECT_EQ(ColourAt(4, 4), -1);
}

TEST_F(DemoPlayer, ATrialNeverTakesACellThatHoldsABubble) {
  // Column 0 offers red nothing above row 7, where a bubble rests under empty cells.
  DemoBoard(7, 9);
  TileColumn(0, 4);
  Tile(0, 7, 0);
  Put(0, 7, ComponentGreen);
  InFlight(3, 8, ComponentRed);
  const BoardSnapshot before = Snapshot(S());
  W().DemoColumn = 0;
  W().DemoRow = -1;
  W().DemoValue = 0;
  W().EvaluateColumn();
  EXPECT_EQ(W().DemoValue, 0);
  EXPECT_EQ(Snapshot(S()), before);
  W().ChooseDemoColumn();
  EXPECT_NE(W().DemoTargetColumn, 0);
  EXPECT_EQ(Snapshot(S()), before);
}

TEST_F(DemoPlayer, ADiagonalThatLeavesTheTopOfTheBoardIsBlocked) {
  for (const int height : {7, 14}) {
    SCOPED_TRACE(testing::Message() << "height " << height);
    DemoBoard(10, static_cast<uint16_t>(height));
    for (int c = 0; c < 10; ++c) TileColumn(c, 4);  // A-blue everywhere: red rests nowhere...
    const int row = height - 1;
    Tile(9, row - 1, 0);  // ...but in column 9, under a bubble
    Put(9, row - 2, ComponentGreen);
    InFlight(0, row, ComponentRed);
    W().ChooseDemoColumn();
    if (height == 7)
      EXPECT_EQ(W().DemoTargetColumn, -1) << "the way to column 9 would pass above row 0";
    else
      EXPECT_EQ(W().DemoTargetColumn, 9) << "on a tall board the same way stays inside";
  }
}

TEST_F(DemoPlayer, TheSidewaysMoveStopsAtTheFirstColumnThatCanTakeTheBubble) {
  DemoBoard(7, 9);
  Put(2, 8, ComponentGreen);  // passed over: its cell in the bubble's row is taken
  TileColumn(3, 4);           // passed over: no tile for red
  TileColumn(4, 4);
  Tile(4, 6, 5);  // A-red+green: not for red alone
  Tile(4, 5, 2);  // A-red, behind two empty cells
  InFlight(1, 8, ComponentRed);
  const TBubble* bubble = S().Bubbles[1][8].get();
  W().DemoTargetColumn = 5;
  W().DemoSidewaysMove();
  EXPECT_EQ(W().BubbleColumn, 4);
  EXPECT_EQ(S().Bubbles[4][8].get(), bubble);
  EXPECT_EQ(ColourAt(1, 8), -1);
  EXPECT_TRUE(W().BubbleInFlight);

  // Sliding under a bubble: it comes to rest and cancels what it shares.
  Put(5, 7, ComponentBlue);
  Put(6, 8, ComponentRed);
  W().DemoSidewaysMove();
  EXPECT_EQ(W().BubbleColumn, 5);
  EXPECT_FALSE(W().BubbleInFlight);
  EXPECT_EQ(W().LandedColumn, 5);
  EXPECT_EQ(W().LandedRow, 8);
  EXPECT_EQ(ColourAt(5, 8), 0);
  EXPECT_EQ(ColourAt(6, 8), 0);
}

TEST_F(DemoPlayer, NoColumnUpToTheEdgeMeansNoMove) {
  DemoBoard(7, 9);
  TileColumn(0, 4);
  TileColumn(1, 4);
  InFlight(2, 8, ComponentRed);
  W().DemoTargetColumn = 0;
  const BoardSnapshot before = Snapshot(S());
  W().DemoSidewaysMove();
  EXPECT_EQ(W().BubbleColumn, 2);
  EXPECT_EQ(Snapshot(S()), before);
  // The other way the search passes the target if it must.
  TileColumn(3, 4);
  W().DemoTargetColumn = 3;
  W().DemoSidewaysMove();
  EXPECT_EQ(W().BubbleColumn, 4);
}

// Demo games at every play-area size, to the end, checking the board after every tick and,
// in the first games of each size, that valuing the columns leaves the board as it was.
// The demo's step comes before the tick deals with the last landing: a step that makes the
// bubble rest must not make the game forget the row that landing completed.
TEST_F(DemoPlayer, AStepThatRestsLeavesNoCompletedRowBehind) {
  DemoBoard(6, 7);
  FillRow(2, 0);  // completed by the last bubble to rest, in column 0
  Put(2, 5, ComponentGreen);
  InFlight(3, 6, ComponentRed);
  W().LandedColumn = 0;
  W().LandedRow = 2;
  W().DemoTargetColumn = 2;
  W().GameTick();
  for (int row = 0; row < 7; ++row) EXPECT_NE(RowState(S(), static_cast<int16_t>(row), 6), RowAllBlack) << row;
  EXPECT_EQ(std::count(Host.Sounds.begin(), Host.Sounds.end(), SoundPlayLine), 1);
  EXPECT_EQ(ColourAt(2, 4), ComponentGreen) << "the rows below moved up";
  EXPECT_TRUE(BoardConsistent(W()));
}

TEST_F(DemoPlayer, ThousandsOfDemoGamesAtEverySizeKeepTheBoardSound) {
  S().Screen = ScreenMainMenu;
  constexpr int GamesPerSize = 42;
  int games = 0, ticks = 0;
  for (uint16_t width = 5; width <= 10; ++width) {
    for (uint16_t height = 7; height <= 14; ++height) {
      for (int game = 0; game < GamesPerSize; ++game) {
        W().AreaWidth = width;
        W().AreaHeight = height;
        W().StartGame(250, false);
        for (int tick = 0; tick < 20000; ++tick) {
          if (game < 2 && W().BubbleInFlight) {
            const BoardSnapshot before = Snapshot(S());
            const auto target = W().DemoTargetColumn;
            const bool lineFound = W().DemoLineFound;
            W().ChooseDemoColumn();
            ASSERT_EQ(Snapshot(S()), before) << width << "x" << height;
            W().DemoTargetColumn = target;
            W().DemoLineFound = lineFound;
          }
          const int reads = TickReads;
          W().GameTick();
          ++ticks;
          ASSERT_TRUE(BoardConsistent(W())) << width << "x" << height << " tick " << tick;
          ASSERT_EQ(S().Screen, ScreenMainMenu);
          ASSERT_EQ(S().Score, 0u);
          ASSERT_EQ(Host.Period, 250);
          if (TickReads - reads >= 3) {  // a new demo game has been started
            ++games;
            break;
          }
        }
      }
    }
  }
  EXPECT_GE(games, 48 * GamesPerSize * 9 / 10) << "demo games end when their entry cell is blocked";
  RecordProperty("ticks", ticks);
}

}  // namespace
