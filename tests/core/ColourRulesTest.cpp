#include <gtest/gtest.h>

#include <set>

#include "GameBoard.h"
#include "core/ColourRules.h"

namespace {

using ColourRules = GameBoard;

TEST(CanRestOn, FollowsTheTileTable) {
  // Tiles that accept each bubble colour (tile values, not bubble bits).
  const std::set<uint8_t> accepted[8] = {
      {0, 1},                    // black
      {0, 2},                    // red
      {0, 3},                    // green
      {0, 2, 3, 5},              // red+green
      {0, 4},                    // blue
      {0, 2, 4, 6},              // red+blue
      {0, 3, 4, 7},              // green+blue
      {0, 2, 3, 4, 5, 6, 7, 8},  // red+green+blue
  };
  for (uint8_t colour = 0; colour < 8; ++colour)
    for (uint8_t tile = 0; tile <= 8; ++tile)
      EXPECT_EQ(CanRestOn(colour, tile), accepted[colour].count(tile) == 1)
          << "colour " << int(colour) << " tile " << int(tile);
  // Values that are no tile accept nothing.
  EXPECT_FALSE(CanRestOn(7, 9));
  EXPECT_FALSE(CanRestOn(0, 255));
}

TEST(ComponentCount, CountsComponents) {
  const uint8_t expected[8] = {0, 1, 1, 2, 1, 2, 2, 3};
  for (uint8_t colour = 0; colour < 8; ++colour) EXPECT_EQ(ComponentCount(colour), expected[colour]);
}

TEST_F(ColourRules, RowStateTellsOpenBlackAndMixedRows) {
  PlainBoard(5, 7);
  FillRow(2, 0, {3});
  EXPECT_EQ(RowState(S(), 2, 5), 0) << "one empty cell among black bubbles";
  Put(3, 2, 0);
  EXPECT_EQ(RowState(S(), 2, 5), 1);
  Put(4, 2, ComponentBlue);
  EXPECT_EQ(RowState(S(), 2, 5), 2);

  // A narrow area ends at its width even though the arrays go on.
  FillRow(4, 0);
  EXPECT_EQ(RowState(S(), 4, 5), 1);
  EXPECT_EQ(RowState(S(), 4, 6), 0);
  Put(5, 4, ComponentRed);
  EXPECT_EQ(RowState(S(), 4, 5), 1) << "column 5 lies outside a 5-wide area";

  // Rows and widths outside the arrays never read past them.
  EXPECT_EQ(RowState(S(), -1, 5), 0);
  EXPECT_EQ(RowState(S(), 14, 5), 0);
  for (int c = 0; c < MaxAreaWidth; ++c) Put(c, 6, 0);
  EXPECT_EQ(RowState(S(), 6, 60000), 1);
}

TEST_F(ColourRules, RedCancelsLeftRightAndAboveUnderAFullMixedRow) {
  PlainBoard(5, 7);
  FillRow(3, ComponentGreen);
  Put(2, 3, ComponentRed | ComponentBlue);  // above the resting bubble
  Put(1, 4, ComponentRed);
  Put(3, 4, ComponentRed | ComponentGreen);
  Put(2, 4, ComponentRed);
  Put(2, 5, ComponentRed);  // below: never examined
  ResolveBubble(S(), 2, 4, 5);
  EXPECT_EQ(ColourAt(2, 4), 0);
  EXPECT_EQ(ColourAt(1, 4), 0);
  EXPECT_EQ(ColourAt(3, 4), ComponentGreen);
  EXPECT_EQ(ColourAt(2, 3), ComponentBlue);
  EXPECT_EQ(ColourAt(2, 5), ComponentRed);
  EXPECT_EQ(S().FullRowAbove, 3);
}

TEST_F(ColourRules, TheBubbleAboveCountsOnlyWhenItsRowIsFullAndMixed) {
  PlainBoard(5, 7);
  // Not full: the bubble above keeps its colour; the sides still cancel.
  FillRow(3, ComponentRed, {0});
  Put(1, 4, ComponentRed);
  Put(2, 4, ComponentRed);
  ResolveBubble(S(), 2, 4, 5);
  EXPECT_EQ(ColourAt(2, 3), ComponentRed);
  EXPECT_EQ(ColourAt(1, 4), 0);
  EXPECT_EQ(ColourAt(2, 4), 0);
  EXPECT_EQ(S().FullRowAbove, -1);

  // Full and all black: no neighbour above, so a lone blue keeps its blue.
  FillRow(3, 0);
  Put(2, 4, ComponentBlue);
  ResolveBubble(S(), 2, 4, 5);
  EXPECT_EQ(ColourAt(2, 4), ComponentBlue);
  EXPECT_EQ(S().FullRowAbove, -1);

  // Full and mixed: now the bubble above cancels.
  Put(0, 3, ComponentBlue);
  Put(2, 3, ComponentBlue);
  ResolveBubble(S(), 2, 4, 5);
  EXPECT_EQ(ColourAt(2, 4), 0);
  EXPECT_EQ(ColourAt(2, 3), 0);
  EXPECT_EQ(ColourAt(0, 3), ComponentBlue);
}

TEST_F(ColourRules, EachComponentCancelsOnItsOwn) {
  PlainBoard(5, 7);
  FillRow(2, ComponentRed);
  Put(3, 2, ComponentGreen);  // above, in a full mixed row
  Put(2, 3, ComponentRed);
  Put(4, 3, ComponentGreen | ComponentBlue);
  Put(3, 3, ComponentRed | ComponentGreen | ComponentBlue);
  ResolveBubble(S(), 3, 3, 5);
  EXPECT_EQ(ColourAt(3, 3), 0);
  EXPECT_EQ(ColourAt(2, 3), 0);
  EXPECT_EQ(ColourAt(4, 3), 0);
  EXPECT_EQ(ColourAt(3, 2), 0);

  // A component the resting bubble lacks is never taken from a neighbour.
  Put(1, 5, ComponentRed | ComponentGreen);
  Put(3, 5, ComponentGreen);
  Put(2, 5, ComponentRed);
  ResolveBubble(S(), 2, 5, 5);
  EXPECT_EQ(ColourAt(2, 5), 0);
  EXPECT_EQ(ColourAt(1, 5), ComponentGreen);
  EXPECT_EQ(ColourAt(3, 5), ComponentGreen);
  // A black bubble, or one that shares nothing, changes nothing.
  Put(2, 5, 0);
  ResolveBubble(S(), 2, 5, 5);
  Put(2, 5, ComponentBlue);
  ResolveBubble(S(), 2, 5, 5);
  EXPECT_EQ(ColourAt(2, 5), ComponentBlue);
  EXPECT_EQ(ColourAt(1, 5), ComponentGreen);
  EXPECT_EQ(ColourAt(3, 5), ComponentGreen);
}

TEST_F(ColourRules, TheAreaEdgesHaveNoNeighbourEvenInsideTheArrays) {
  PlainBoard(5, 7);
  // Last column of a 5-wide area: column 5 of the arrays is not its neighbour.
  Put(5, 6, ComponentRed);
  Put(3, 6, ComponentRed);
  Put(4, 6, ComponentRed);
  ResolveBubble(S(), 4, 6, 5);
  EXPECT_EQ(ColourAt(5, 6), ComponentRed);
  EXPECT_EQ(ColourAt(3, 6), 0);
  EXPECT_EQ(ColourAt(4, 6), 0);

  // Column 0 has no left neighbour; its right one still cancels.
  Put(0, 5, ComponentBlue);
  Put(1, 5, ComponentBlue);
  ResolveBubble(S(), 0, 5, 5);
  EXPECT_EQ(ColourAt(0, 5), 0);
  EXPECT_EQ(ColourAt(1, 5), 0);

  // The last column of the arrays with a width beyond them: nothing past column 9 is read.
  Put(8, 0, ComponentGreen);
  Put(9, 0, ComponentGreen);
  ResolveBubble(S(), 9, 0, 60000);
  EXPECT_EQ(ColourAt(9, 0), 0);
  EXPECT_EQ(ColourAt(8, 0), 0);

  // Cells outside the arrays, or empty cells, are ignored.
  ResolveBubble(S(), 10, 0, 10);
  ResolveBubble(S(), 0, 14, 10);
  ResolveBubble(S(), -1, -1, 10);
  Put(1, 2, ComponentRed);
  Put(3, 2, ComponentRed);
  ResolveBubble(S(), 2, 2, 5);
  EXPECT_EQ(ColourAt(1, 2), ComponentRed);
  EXPECT_EQ(ColourAt(3, 2), ComponentRed);
}

TEST_F(ColourRules, UpwardScanStopsAtTheFirstBubbleOrAcceptingTile) {
  PlainBoard(5, 9);
  for (int r = 0; r < 9; ++r) Tile(1, r, 4);  // A-blue all the way up column 1
  EXPECT_EQ(ScanUpward(S(), 1, 8, ComponentRed), ScanResult::Blocked) << "no tile takes red";
  EXPECT_EQ(ScanUpward(S(), 1, 8, ComponentBlue), ScanResult::Found);

  Tile(1, 2, 2);  // A-red high up, behind a bubble
  Put(1, 4, ComponentGreen);
  EXPECT_EQ(ScanUpward(S(), 1, 8, ComponentRed), ScanResult::Blocked);
  EXPECT_EQ(ScanUpward(S(), 1, 4, ComponentRed), ScanResult::Found) << "scan starts above its own cell";
  EXPECT_EQ(ScanUpward(S(), 1, 8, ComponentBlue), ScanResult::Found) << "row 7 takes blue before the bubble";
  EXPECT_EQ(ScanUpward(S(), 1, 2, ComponentRed), ScanResult::Blocked) << "only A-blue above row 2";
  EXPECT_EQ(ScanUpward(S(), 1, 0, 7), ScanResult::Blocked) << "nothing above row 0";

  // A bubble directly above blocks even on plain tiles.
  Put(3, 5, ComponentRed);
  EXPECT_EQ(ScanUpward(S(), 3, 6, 0), ScanResult::Blocked);
  EXPECT_EQ(ScanUpward(S(), 3, 7, 0), ScanResult::Found);

  // A scan may start just below the bottom row; columns outside the arrays find nothing.
  EXPECT_EQ(ScanUpward(S(), 4, 9, ComponentRed), ScanResult::Found);
  EXPECT_EQ(ScanUpward(S(), 4, 40, ComponentRed), ScanResult::Found);
  EXPECT_EQ(ScanUpward(S(), 10, 5, ComponentRed), ScanResult::Blocked);
  EXPECT_EQ(ScanUpward(S(), -1, 5, ComponentRed), ScanResult::Blocked);
}

TEST_F(ColourRules, ScoreRaisesTheBestOnlyWhenPassed) {
  S().BestScore = 100;
  S().AddScore(60);
  EXPECT_EQ(S().GetScore(), 60u);
  EXPECT_EQ(S().GetBestScore(), 100u);
  S().AddScore(50);
  EXPECT_EQ(S().GetScore(), 110u);
  EXPECT_EQ(S().GetBestScore(), 110u);
  S().ResetScore();
  EXPECT_EQ(S().GetScore(), 0u);
  EXPECT_EQ(S().GetBestScore(), 110u);
}

}  // namespace
