#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "GameBoard.h"
#include "core/ColourRules.h"

namespace {

class GameClock : public GameBoard {
 protected:
  void StartPlayer(uint16_t width, uint16_t height, bool advanced = false, int16_t startLevel = 0) {
    W().AreaWidth = width;
    W().AreaHeight = height;
    W().SpawnColumn = width / 2;
    S().Flags = advanced ? 0x100 : 0;
    S().StartLevel = startLevel;
    W().BeginPlay();
  }

  void ClearBubbles() {
    for (auto& column : S().Bubbles)
      for (auto& cell : column) cell.reset();
  }

  void PlainTiles() {
    for (int c = 0; c < W().AreaWidth; ++c)
      for (int r = 0; r < W().AreaHeight; ++r) Tile(c, r, 0);
  }

  // Takes the bubble in flight off the board and lets the next one enter.
  void NextEntry() {
    S().Bubbles[W().BubbleColumn][W().BubbleRow].reset();
    W().BubbleInFlight = false;
    W().GameTick();
  }

  // Ticks until the player's game is over; returns the ticks taken (or -1 past the limit).
  int PlayToGameOver(int limit) {
    for (int ticks = 1; ticks <= limit; ++ticks) {
      W().GameTick();
      if (S().Screen == ScreenGameOver) return ticks;
      if (!BoardConsistent(W())) {
        ADD_FAILURE() << BoardConsistent(W()).message() << " after tick " << ticks;
        return -1;
      }
    }
    return -1;
  }

  // Row 3 of a 5x7 board waits for the black bubble entering in column 2, which rises three
  // rows and rests under the bubble at (2, 2); a red bubble enters behind it.
  void BlackRowScenario() {
    ClearBubbles();
    PlainTiles();
    FillRow(0, 0);  // a full black row that is neither the resting row nor the one above
    FillRow(3, 0, {2});
    Put(2, 2, ComponentRed);
    Put(0, 4, ComponentGreen);
    Put(1, 5, ComponentBlue);
    Put(4, 6, ComponentRed | ComponentGreen);
    W().BubbleInFlight = false;
    QueueColours({0, ComponentRed});
    W().GameTick();
    ASSERT_EQ(ColourAt(2, 6), 0);
    for (int i = 0; i < 3; ++i) W().GameTick();
    ASSERT_EQ(W().LandedRow, 3);
    ASSERT_EQ(W().LandedColumn, 2);
    ASSERT_EQ(ColourAt(2, 6), ComponentRed) << "the next bubble enters in the tick its predecessor rests";
  }
};

TEST_F(GameClock, ABubbleRisesOneRowPerTickAndRestsAtTheTop) {
  QueueColours({ComponentRed});
  StartPlayer(7, 9);
  EXPECT_EQ(S().Screen, ScreenPlaying);
  EXPECT_EQ(Host.Period, 1000);
  ASSERT_TRUE(W().BubbleInFlight);
  ASSERT_EQ(W().BubbleColumn, 3);
  ASSERT_EQ(W().BubbleRow, 8);
  const TBubble* first = S().Bubbles[3][8].get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetColour(), ComponentRed);

  for (int k = 1; k <= 7; ++k) {
    W().GameTick();
    ASSERT_EQ(W().BubbleRow, 8 - k);
    EXPECT_EQ(S().Bubbles[3][8 - k].get(), first);
    EXPECT_EQ(S().Bubbles[3][9 - k], nullptr);
    EXPECT_EQ(S().Score, 10u * static_cast<uint32_t>(k));
    EXPECT_TRUE(W().BubbleInFlight);
  }
  W().GameTick();
  EXPECT_EQ(S().Bubbles[3][0].get(), first);
  EXPECT_EQ(W().LandedColumn, 3);
  EXPECT_EQ(W().LandedRow, 0);
  EXPECT_EQ(S().Score, 80u);
  // The next bubble has entered in the same tick.
  EXPECT_TRUE(W().BubbleInFlight);
  EXPECT_EQ(W().BubbleRow, 8);
  EXPECT_NE(S().Bubbles[3][8], nullptr);
  EXPECT_EQ(BubbleCount(), 2);
}

TEST_F(GameClock, ABubbleRestsUnderAnotherAndCancelsItsNeighbours) {
  QueueColours({ComponentRed});
  StartPlayer(7, 9);
  Put(3, 4, ComponentBlue);
  Put(2, 5, ComponentRed | ComponentGreen);
  for (int i = 0; i < 3; ++i) W().GameTick();
  EXPECT_EQ(W().LandedColumn, 3);
  EXPECT_EQ(W().LandedRow, 5);
  EXPECT_EQ(ColourAt(3, 5), 0);
  EXPECT_EQ(ColourAt(2, 5), ComponentGreen);
  EXPECT_EQ(ColourAt(3, 4), ComponentBlue) << "row 4 is not full";
  EXPECT_EQ(S().Score, 30u);
  W().GameTick();
  EXPECT_EQ(W().LandedRow, -1) << "the next tick has dealt with the resting row";
}

TEST_F(GameClock, ACompletedBlackRowIsRemovedAndTheRowsBelowMoveUp) {
  StartPlayer(5, 7);
  BlackRowScenario();
  const TBubble* entered = S().Bubbles[2][6].get();
  const BoardSnapshot tilesBefore = Snapshot(S());
  W().DemoLineFound = true;
  EXPECT_EQ(S().Score, 30u);

  W().GameTick();
  EXPECT_EQ(S().Score, 30u + 5 * 7 * 10 + 10) << "three rows, one black row, then the new bubble's first row";
  for (int c = 0; c < 5; ++c) EXPECT_EQ(ColourAt(c, 0), 0) << "row 0 is never examined";
  EXPECT_EQ(ColourAt(0, 3), ComponentGreen);
  EXPECT_EQ(ColourAt(1, 4), ComponentBlue);
  EXPECT_EQ(ColourAt(4, 5), ComponentRed | ComponentGreen);
  EXPECT_EQ(ColourAt(0, 4), -1);
  EXPECT_EQ(ColourAt(1, 5), -1);
  EXPECT_EQ(ColourAt(4, 6), -1);
  EXPECT_EQ(ColourAt(2, 2), ComponentRed);
  // The bubble that had just entered was not carried up with its row; it rose by itself.
  EXPECT_EQ(S().Bubbles[2][5].get(), entered);
  EXPECT_EQ(ColourAt(2, 6), -1);
  EXPECT_EQ(BubbleCount(), 5 + 1 + 3 + 1);
  EXPECT_EQ(W().LandedRow, -1);
  EXPECT_FALSE(W().DemoLineFound);

  // In the Standard rules the tiles stay as they were.
  const BoardSnapshot tilesAfter = Snapshot(S());
  for (size_t i = 1; i < tilesBefore.Objects.size(); i += 2) {
    EXPECT_EQ(tilesAfter.Objects[i], tilesBefore.Objects[i]);
    EXPECT_EQ(tilesAfter.Values[i], tilesBefore.Values[i]);
  }
}

TEST_F(GameClock, AnAdvancedRowRemovalTakesItsTileRowAndAddsOneAtTheBottom) {
  StartPlayer(5, 7, true);
  BlackRowScenario();
  Tile(0, 0, 2);
  Tile(0, 4, 3);
  Tile(0, 6, 4);
  const TArea* bottomLeft = S().Areas[0][6].get();
  W().GameTick();
  EXPECT_EQ(S().Areas[0][0]->GetValue(), 2);
  EXPECT_EQ(S().Areas[0][3]->GetValue(), 3);
  EXPECT_EQ(S().Areas[0][5].get(), bottomLeft);
  int aTiles = 0;
  for (int c = 0; c < 5; ++c) {
    ASSERT_NE(S().Areas[c][6], nullptr);
    const int value = S().Areas[c][6]->GetValue();
    EXPECT_TRUE(value == 0 || (value >= 2 && value <= 4)) << "level 0 draws A-red, A-green or A-blue";
    aTiles += value != 0;
  }
  EXPECT_LE(aTiles, 1);
  EXPECT_TRUE(BoardConsistent(W()));
}

TEST_F(GameClock, TwoRowsCompletedByOneBubbleScoreFiftyFold) {
  StartPlayer(5, 7);
  ClearBubbles();
  FillRow(1, 0);  // full and black, but two rows above the resting bubble
  FillRow(2, 0);
  Put(2, 2, ComponentRed);
  FillRow(3, 0, {2});
  Put(1, 4, ComponentRed);
  Put(0, 5, ComponentGreen);
  Put(4, 6, ComponentBlue);
  W().BubbleInFlight = false;
  QueueColours({ComponentRed, ComponentGreen});
  W().GameTick();
  for (int i = 0; i < 3; ++i) W().GameTick();
  ASSERT_EQ(W().LandedRow, 3);
  // The red resting under a full mixed row cancels the red above it: both rows are black now.
  EXPECT_EQ(RowState(S(), 2, 5), 1);
  EXPECT_EQ(RowState(S(), 3, 5), 1);
  const TBubble* entered = S().Bubbles[2][6].get();

  W().GameTick();
  EXPECT_EQ(S().Score, 30u + 5 * 7 * 50 + 10);
  EXPECT_EQ(RowState(S(), 1, 5), 1) << "the row two above stays";
  EXPECT_EQ(ColourAt(1, 2), ComponentRed);
  EXPECT_EQ(ColourAt(0, 3), ComponentGreen);
  EXPECT_EQ(ColourAt(4, 4), ComponentBlue);
  EXPECT_EQ(S().Bubbles[2][5].get(), entered);
  EXPECT_EQ(BubbleCount(), 5 + 3 + 1);
}

// A row completed by the player's Up waits for the next tick. If the next bubble comes to rest
// before that tick (on an even width it enters beside the last one, so it may move at once),
// the waiting row is removed and scored first, as that tick would have done, and the new
// bubble acts on the board the tick would have left.
TEST_F(GameClock, ARowWaitingForTheClockIsNotForgottenWhenTheNextBubbleRests) {
  enum class Then { Up, SidewaysUnderABubble, EntersBlocked };
  const struct {
    Then Action;
    int BlockerColumn, BlockerRow;
    uint32_t Score;
    int GreenColumn, GreenRow;
  } cases[] = {
      // Up from row 6 to row 2 is 40, the row 6 x 7 x 10; the green then rises 2 rows under
      // the blue, which has moved up with the rows below the removed one.
      {Then::Up, 3, 4, 40 + 420 + 20, 3, 4},
      // The red the green slid under has moved up: the green no longer rests and stays in flight.
      {Then::SidewaysUnderABubble, 4, 5, 40 + 420, 4, 6},
      // The bubble above the entry cell has moved up: the green enters and rises as usual.
      {Then::EntersBlocked, 3, 5, 40 + 420, 3, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << int(c.Action));
    StartPlayer(6, 7);  // the first bubble entered in column 2; the next one enters in column 3
    ClearBubbles();
    FillRow(2, 0, {2});
    Put(2, 1, ComponentRed);
    Put(c.BlockerColumn, c.BlockerRow, c.Action == Then::Up ? ComponentBlue : ComponentRed);
    InFlight(2, 6, 0);
    QueueColours({ComponentGreen});
    S().Score = 0;
    Host.Sounds.clear();

    W().PlayUp();  // the green enters right after it, in this same key press
    if (c.Action != Then::EntersBlocked) {
      ASSERT_EQ(W().LandedRow, 2);
      ASSERT_EQ(RowState(S(), 2, 6), RowAllBlack);
      ASSERT_EQ(W().BubbleColumn, 3);
      ASSERT_EQ(ColourAt(3, 6), ComponentGreen);
    }
    if (c.Action == Then::Up) W().PlayUp();
    if (c.Action == Then::SidewaysUnderABubble) W().PlayRight();

    EXPECT_EQ(S().Score, c.Score);
    EXPECT_EQ(std::count(Host.Sounds.begin(), Host.Sounds.end(), SoundPlayLine), 1);
    for (int row = 0; row < 7; ++row) EXPECT_NE(RowState(S(), static_cast<int16_t>(row), 6), RowAllBlack) << row;
    EXPECT_EQ(ColourAt(2, 1), ComponentRed) << "rows above the removed one stay";
    EXPECT_EQ(ColourAt(c.GreenColumn, c.GreenRow), ComponentGreen);
    EXPECT_EQ(BubbleCount(), c.Action == Then::Up ? 4 : 3) << "after the Up the next bubble has entered";
    EXPECT_TRUE(BoardConsistent(W()));
    W().GameTick();
    EXPECT_TRUE(BoardConsistent(W()));
  }
}

TEST_F(GameClock, TheEntryColumnAlternatesForEvenWidths) {
  const std::vector<std::pair<uint16_t, std::vector<int>>> cases = {
      {10, {4, 5, 4, 5, 4, 5}}, {7, {3, 3, 3, 3}}, {6, {2, 3, 2, 3}}, {5, {2, 2, 2}}};
  for (const auto& [width, expected] : cases) {
    StartPlayer(width, 9);
    std::vector<int> seen = {W().BubbleColumn};
    while (seen.size() < expected.size()) {
      NextEntry();
      seen.push_back(W().BubbleColumn);
    }
    EXPECT_EQ(seen, expected) << "width " << width;
  }
  // A new game starts again with the left column, whatever the last game ended on.
  StartPlayer(10, 9);
  NextEntry();
  NextEntry();
  StartPlayer(10, 9);
  EXPECT_EQ(W().BubbleColumn, 4);
}

TEST_F(GameClock, TheLevelRisesWithBubble51AndEveryFiftyAfter) {
  StartPlayer(10, 14);
  int starts = Host.ClockStarts;
  for (int n = 2; n <= 560; ++n) {
    const uint16_t before = S().Level;
    Host.Calls.clear();
    NextEntry();
    const int expected = std::min(9, (n - 1) / 50);
    ASSERT_EQ(S().Level, expected) << "bubble " << n;
    EXPECT_EQ(Host.Period, S().LevelIntervals[S().Level]) << "bubble " << n;
    if (S().Level != before) {
      EXPECT_EQ(n % 50, 1) << "bubble " << n;
      EXPECT_EQ(Host.ClockStarts, starts + 1) << "the clock is restarted at the new period";
      // The level's sound comes before the clock changes pace.
      const std::vector<std::string> order = {"sound 9", "stop", "clock " + std::to_string(Host.Period), "compose"};
      EXPECT_EQ(Host.Calls, order) << "bubble " << n;
      starts = Host.ClockStarts;
    } else {
      EXPECT_EQ(Host.ClockStarts, starts) << "bubble " << n;
    }
  }
  EXPECT_EQ(Host.Period, 250);
}

TEST_F(GameClock, AGameStartedAtLevelNineKeepsItsPeriod) {
  StartPlayer(8, 10, false, 9);
  const int starts = Host.ClockStarts;
  EXPECT_EQ(Host.Period, 250);
  for (int n = 0; n < 300; ++n) NextEntry();
  EXPECT_EQ(S().Level, 9);
  EXPECT_EQ(Host.ClockStarts, starts);
  EXPECT_EQ(Host.Period, 250);
}

// Each tick of the clock composes the screen once, at its end, also when it ends a game or
// starts a new demo game; starting a game composes nothing (whoever starts it composes).
TEST_F(GameClock, EveryTickComposesOnceAndStartingAGameNever) {
  StartPlayer(7, 9);
  S().Screen = ScreenMainMenu;
  W().StartDemo();
  EXPECT_EQ(Host.Compositions, 0);
  const struct {
    const char* What;
    bool Player, EntryTaken;
    TScreen After;
  } ticks[] = {
      {"a demo tick", false, false, ScreenMainMenu},
      {"a demo tick that begins a new demo game", false, true, ScreenMainMenu},
      {"a player's tick", true, false, ScreenPlaying},
      {"a player's tick that ends the game", true, true, ScreenGameOver},
  };
  for (const auto& t : ticks) {
    if (t.Player) {
      StartPlayer(7, 9);
    } else {
      S().Screen = ScreenMainMenu;
      W().StartDemo();
    }
    if (t.EntryTaken) {  // the bottom row is taken and nothing moves
      for (int c = 0; c < W().AreaWidth; ++c)
        if (S().Bubbles[c][W().AreaHeight - 1] == nullptr) Put(c, W().AreaHeight - 1, ComponentRed);
      W().BubbleInFlight = false;
      W().DemoTargetColumn = -1;
    }
    Host.Compositions = 0;
    const int starts = Host.ClockStarts;
    W().GameTick();
    EXPECT_EQ(Host.Compositions, 1) << t.What;
    EXPECT_EQ(S().Screen, t.After) << t.What;
    EXPECT_EQ(Host.ClockStarts - starts, !t.Player && t.EntryTaken ? 1 : 0) << t.What;
  }
}

TEST_F(GameClock, AnOccupiedEntryCellEndsThePlayersGame) {
  StartPlayer(5, 7);
  W().BubbleInFlight = false;  // the bubble stays in the entry cell
  const BoardSnapshot before = Snapshot(S());
  Host.Calls.clear();
  W().GameTick();
  EXPECT_EQ(S().Screen, ScreenGameOver);
  EXPECT_TRUE(Host.GameOverTimer);
  EXPECT_EQ(Host.Period, 0);
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"stop", "game over", "compose", "replay"}));
  EXPECT_EQ(Snapshot(S()), before) << "game over leaves the board for the game-over pause";
}

TEST_F(GameClock, AnOccupiedEntryCellStartsANewDemoGame) {
  S().Screen = ScreenMainMenu;
  W().StartDemo();
  EXPECT_EQ(Host.Period, 250);
  EXPECT_TRUE(BoardConsistent(W()));
  for (int i = 0; i < 3; ++i) W().GameTick();
  const int starts = Host.ClockStarts;

  // The next demo game's size comes from the tick count: the smallest width, the largest height.
  auto seedFor = [](uint32_t range, uint32_t wanted) {
    for (uint32_t seed = 1;; ++seed) {
      TRandom random;
      random.Seed(seed);
      if (random.Next(range) == wanted) return seed;
    }
  };
  for (int c = 0; c < W().AreaWidth; ++c)
    if (S().Bubbles[c][W().AreaHeight - 1] == nullptr) Put(c, W().AreaHeight - 1, ComponentRed);
  W().BubbleInFlight = false;
  W().DemoTargetColumn = -1;
  Queued = {seedFor(6, 0), seedFor(8, 7)};
  W().GameTick();
  EXPECT_EQ(S().Screen, ScreenMainMenu);
  EXPECT_FALSE(Host.GameOverTimer);
  EXPECT_EQ(W().AreaWidth, 5);
  EXPECT_EQ(W().AreaHeight, 14);
  EXPECT_EQ(W().SpawnColumn, 2);
  EXPECT_EQ(Host.ClockStarts, starts + 1);
  EXPECT_EQ(Host.Period, 250);
  EXPECT_EQ(BubbleCount(), 1) << "a fresh board with its first bubble";
  EXPECT_EQ(W().BubbleRow, 13);
  EXPECT_EQ(S().Score, 0u);
  EXPECT_TRUE(BoardConsistent(W()));
}

// A black bubble that rests in its entry cell can complete the bottom row; the row goes,
// the bubble with it, and the next bubble enters in that same tick. The bubble is stopped
// either by a bubble above it or, in the Advanced rules, by tiles that refuse black.
TEST_F(GameClock, ABubbleRemovedWithItsRowIsNeverTouchedAgain) {
  enum class Game { Standard, Advanced, Demo };
  for (const Game game : {Game::Standard, Game::Advanced, Game::Demo}) {
    for (const bool tilesRefuse : {false, true}) {
      if (game == Game::Standard && tilesRefuse) continue;
      SCOPED_TRACE(testing::Message() << "game " << int(game) << (tilesRefuse ? ", tiles refuse" : ", bubble above"));
      const bool player = game != Game::Demo;
      if (player) {
        StartPlayer(5, 7, game == Game::Advanced);
      } else {
        S().Screen = ScreenMainMenu;
        W().AreaWidth = 5;
        W().AreaHeight = 7;
        W().StartGame(250, false);
      }
      ClearBubbles();
      PlainTiles();
      FillRow(6, 0, {2});
      if (tilesRefuse)
        for (int r = 0; r < 6; ++r) Tile(2, r, 2);  // A-red: no place for black or green
      else
        Put(2, 5, ComponentRed);
      W().BubbleInFlight = false;
      QueueColours({0, ComponentGreen});
      W().GameTick();
      ASSERT_EQ(W().LandedRow, 6) << "blocked at once: it rests in the entry cell";
      ASSERT_TRUE(W().BubbleInFlight);
      ASSERT_EQ(RowState(S(), 6, 5), 1);

      W().GameTick();
      EXPECT_EQ(S().Score, player ? 350u : 0u);
      EXPECT_EQ(S().Screen, player ? ScreenPlaying : ScreenMainMenu);
      EXPECT_TRUE(W().BubbleInFlight);
      EXPECT_EQ(W().BubbleColumn, 2);
      EXPECT_EQ(W().BubbleRow, 6);
      EXPECT_EQ(ColourAt(2, 6), ComponentGreen);
      EXPECT_EQ(BubbleCount(), tilesRefuse ? 1 : 2);
      EXPECT_TRUE(BoardConsistent(W()));

      // The green bubble is stuck in its entry cell too: a player's game then ends normally.
      if (player) {
        EXPECT_EQ(PlayToGameOver(3), 1);
        EXPECT_TRUE(Host.GameOverTimer);
      }
    }
  }
}

TEST_F(GameClock, StoredSizesAndLevelsOutOfRangeAreBroughtIntoRange) {
  struct Case {
    uint16_t Width, Height;
    int16_t Level;
    uint16_t ExpectedWidth, ExpectedHeight, ExpectedLevel;
  };
  const Case cases[] = {{0, 0, -3, 5, 7, 9}, {200, 99, 42, 10, 14, 9}, {4, 6, 10, 5, 7, 9}, {11, 15, 0, 10, 14, 0}};
  for (const bool advanced : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " level " << c.Level);
      W().AreaWidth = c.Width;
      W().AreaHeight = c.Height;
      W().SpawnColumn = 77;
      S().Flags = advanced ? 0x100 : 0;
      S().StartLevel = c.Level;
      W().BeginPlay();
      EXPECT_EQ(W().AreaWidth, c.ExpectedWidth);
      EXPECT_EQ(W().AreaHeight, c.ExpectedHeight);
      EXPECT_EQ(W().SpawnColumn, c.ExpectedWidth / 2);
      EXPECT_EQ(S().Level, c.ExpectedLevel);
      EXPECT_EQ(Host.Period, S().LevelIntervals[c.ExpectedLevel]);
      ASSERT_TRUE(BoardConsistent(W()));
      EXPECT_GT(PlayToGameOver(20000), 0);
    }
  }  // Only mode 1 is Advanced; a stored 2 or 3 plays the Standard rules.
  S().Flags = 0x300;
  W().BeginPlay();
  EXPECT_EQ(W().AdvancedGame, 0);
  EXPECT_EQ(S().Areas[0][0]->GetValue(), 0);
}

TEST_F(GameClock, APlayersGameWithoutInputRunsToGameOver) {
  for (const bool advanced : {false, true}) {
    for (const auto& [width, height] : std::vector<std::pair<uint16_t, uint16_t>>{{5, 7}, {6, 11}, {10, 14}}) {
      SCOPED_TRACE(testing::Message() << width << "x" << height << (advanced ? " advanced" : " standard"));
      S().HighScores[0] = 50;
      StartPlayer(width, height, advanced, 2);
      EXPECT_EQ(W().AdvancedGame, advanced ? 1 : 0);
      EXPECT_EQ(S().BestScore, 50u);
      const int ticks = PlayToGameOver(100000);
      ASSERT_GT(ticks, 0);
      EXPECT_TRUE(Host.GameOverTimer);
      EXPECT_EQ(Host.Period, 0);
      EXPECT_GT(BubbleCount(), 0);
      EXPECT_EQ(S().BestScore, std::max<uint32_t>(50, S().Score));
      if (!advanced) {
        EXPECT_GE(S().Score, 10u * (height - 1)) << "the first bubble alone rises to the top";
      }
      Host.GameOverTimer = false;
    }
  }
}

TEST_F(GameClock, TheSameTickCountsReplayTheSameGame) {
  auto play = [](TGame& w, TScreen screen) {
    uint32_t counter = 0;
    w.TickCount = [&counter] { return ++counter; };
    w.Settings.Screen = screen;
    w.Settings.Flags = 0x100;
    w.AreaWidth = 8;
    w.AreaHeight = 12;
    if (screen == ScreenPlaying)
      w.BeginPlay();
    else
      w.StartDemo();
    for (int i = 0; i < 3000 && w.Settings.Screen == screen; ++i) w.GameTick();
    std::vector<int> result = Snapshot(w.Settings).Values;
    result.insert(result.end(), {static_cast<int>(w.Settings.Score), w.AreaWidth, w.AreaHeight, w.Settings.Screen});
    w.TickCount = SystemTickCount();
    return result;
  };
  for (const TScreen screen : {ScreenPlaying, ScreenTitle}) {
    TSettings otherSettings;
    TNullGameHost quiet;
    TGame other(otherSettings, quiet);
    other.Random.Seed(99);  // the generator's state before the game matters only for the tiles
    W().Random.Seed(99);
    EXPECT_EQ(play(W(), screen), play(other, screen));
  }
}

TEST_F(GameClock, NewTileRowsFollowTheLevelTable) {
  struct Expect {
    bool Always;
    std::set<int> Values;
  };
  const Expect table[10] = {{false, {2, 3, 4}},          {false, {1, 2, 3, 4}},
                            {false, {1, 2, 3, 4, 5, 6, 7}}, {false, {1, 2, 3, 4, 5, 6, 7, 8}},
                            {true, {2, 3, 4}},           {true, {1, 2, 3, 4}},
                            {true, {1, 2, 3, 4, 5, 6, 7}},  {true, {1, 2, 3, 4, 5, 6, 7, 8}},
                            {true, {1, 2, 3, 4, 5, 6, 7, 8}}, {true, {1, 2, 3, 4, 5, 6, 7, 8}}};
  PlainBoard(7, 9);
  for (uint16_t level = 0; level < 10; ++level) {
    std::set<int> values, columns;
    int rowsWithTile = 0;
    for (int i = 0; i < 300; ++i) {
      W().PushAreaRow(level, 0);
      int tiles = 0;
      for (int c = 0; c < 7; ++c) {
        ASSERT_NE(S().Areas[c][8], nullptr);
        const int value = S().Areas[c][8]->GetValue();
        if (value != 0) {
          ++tiles;
          values.insert(value);
          columns.insert(c);
        }
      }
      ASSERT_LE(tiles, 1) << "level " << level;
      rowsWithTile += tiles;
    }
    EXPECT_EQ(values, table[level].Values) << "level " << level;
    EXPECT_EQ(columns.size(), 7u) << "level " << level;
    if (table[level].Always)
      EXPECT_EQ(rowsWithTile, 300) << "level " << level;
    else
      EXPECT_TRUE(rowsWithTile > 90 && rowsWithTile < 210) << "level " << level << ": " << rowsWithTile;
  }
}

}  // namespace
