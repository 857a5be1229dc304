// One whole round as a player goes through it, headless: title, main menu, a game with moves,
// the pause and back, game over and the replay it left, name entry, the table, and the main
// menu again; at each step the screen and what the composed picture shows there.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "shell/ReplayCommands.h"
#include "shell/Window.h"
#include "support/PictureCheck.h"
#include "support/TempStore.h"
#include "ui/DefaultSettings.h"
#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

namespace {

TEST(WholeGame, FromTheTitleThroughAGameToTheTableAndBack) {
  TempStore store;
  WriteDefaultSettings("/nowhere");  // arrows, 7 x 14, Standard, level 0
  uint64_t now = 1000;
  TFormWindow w([&] { return now; });
  ASSERT_TRUE(w.InitDirectX());
  uint32_t ticks = 0;
  w.Game.TickCount = [&] { return ++ticks; };
  const platform::Surface& back = *(*w.Surfaces)[BackBuffer].Pixels;
  const auto press = [&](uint16_t key) {
    w.FormKeyDown(key);
    w.FormKeyUp(key);
  };
  const auto after = [&](uint64_t ms) {
    now += ms;
    w.Timers.FireDue();
  };
  const auto clockPeriod = [&] { return w.TimerId != 0 ? w.Clock.Interval() : 0u; };

  w.FormShow();
  EXPECT_EQ(WholeMismatches(back, SurfaceTitleScreen, 0, 0), 0);
  after(2000);
  ASSERT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(HalfMismatches(back, SurfaceStartGame, 437, 277, true), 0);
  EXPECT_EQ(HalfMismatches(back, SurfacePlaySetup, 441, 311, false), 0);

  press(VkReturn);  // Start game
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
  EXPECT_EQ(clockPeriod(), 1000u);
  EXPECT_EQ(w.Game.AreaWidth, 7);
  EXPECT_EQ(w.Game.AreaHeight, 14);
  const int left = 40 + 15 * 3, top = 17;  // the 7 x 14 area is centred
  EXPECT_EQ(Mismatches(back, SurfaceFrameH, {0, 0, 30 * 7 + 10, 10}, left, top - 10), 0);
  EXPECT_EQ(Mismatches(back, SurfaceFrameV, {0, 0, 10, 30 * 14 + 10}, left - 10, top - 10), 0);

  const int column = w.Game.BubbleColumn;
  press(VkLeft);
  EXPECT_EQ(w.Game.BubbleColumn, column - 1);
  press(VkUp);  // rises 13 rows to the top
  EXPECT_EQ(w.Settings.Score, 130u);
  const TSurfaceIndex piece = static_cast<TSurfaceIndex>(SurfaceBlack + w.Settings.Bubbles[column - 1][0]->GetColour());
  EXPECT_EQ(WholeMismatches(back, piece, left + 30 * (column - 1), top), 0);

  press(VkEscape);
  ASSERT_EQ(w.Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w.TimerId, 0u);
  EXPECT_EQ(HalfMismatches(back, SurfaceResumeGame, 426, 277, true), 0);
  press(VkReturn);  // Resume
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
  EXPECT_EQ(clockPeriod(), 1000u);

  // The clock's ticks until the entry cell stays blocked.
  for (int i = 0; i < 2000 && w.Settings.Screen == ScreenPlaying; ++i) after(w.Clock.Interval());
  ASSERT_EQ(w.Settings.Screen, ScreenGameOver);
  EXPECT_EQ(w.TimerId, 0u);
  EXPECT_EQ(WholeMismatches(back, SurfaceGameOver, 139, 176), 0);
  const uint32_t score = w.Settings.Score;

  // The game left its replay, which plays back to the score the game showed.
  const auto replays = std::filesystem::directory_iterator(store.ReplayFolder());
  ASSERT_NE(replays, std::filesystem::directory_iterator());
  std::ostringstream out, err;
  EXPECT_EQ(CheckReplayFile(replays->path().string(), out, err), 0) << out.str() << err.str();
  EXPECT_EQ(out.str().rfind("Replayed: score " + std::to_string(score) + ", ", 0), 0u) << out.str();

  after(1000);  // any score enters an empty table
  ASSERT_EQ(w.Settings.Screen, ScreenCongratulations);
  EXPECT_EQ(WholeMismatches(back, SurfaceCongratulations, 48, 27), 0);
  press('A');
  press('B');
  EXPECT_EQ(w.Settings.HighScoreNames[5], "AB");
  press(VkReturn);
  ASSERT_EQ(w.Settings.Screen, ScreenHighScores);
  EXPECT_EQ(WholeMismatches(back, SurfaceHighScore, 76, 27), 0);
  EXPECT_EQ(w.Settings.HighScores[0], score);

  // The table is in the store.
  THighScoreTable stored;
  ASSERT_TRUE(THighScoreRegistry().ReadTable(HighScoreKey(w.Settings), stored));
  EXPECT_EQ(stored.Scores[0], score);
  EXPECT_EQ(stored.Names[0], "AB");

  press(32);  // Space
  EXPECT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(clockPeriod(), 250u) << "a new demo game runs behind the menu";
  EXPECT_EQ(HalfMismatches(back, SurfaceStartGame, 437, 277, true), 0);
}

}  // namespace
