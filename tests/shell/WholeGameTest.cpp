// Whole rounds as a player goes through them, headless: title, main menu, a game with moves,
// the pause and back, game over and the replay it left, name entry, the table, and the main
// menu again; at each step the screen and what the composed picture shows there. Once with the
// keyboard, once with a game controller through the window's own event loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "shell/ReplayCommands.h"
#include "shell/Window.h"
#include "support/PictureCheck.h"
#include "support/TempStore.h"
#include "support/VirtualPad.h"
#include "ui/DefaultSettings.h"
#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

namespace {

// A private store with the settings the install step writes: arrows, 7 x 14, Standard, level 0.
struct DefaultStore : TempStore {
  DefaultStore() { WriteDefaultSettings("/nowhere"); }
};

// The real window on a made-up clock: the screen timers and the game clock run when the test
// moves the time on.
class WholeGame : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.InitDirectX());
    w.Game.TickCount = [this] { return ++Ticks; };
  }
  void Press(uint16_t key) {
    w.FormKeyDown(key);
    w.FormKeyUp(key);
  }
  void After(uint64_t ms) {
    Now += ms;
    w.Timers.FireDue();
  }
  uint32_t ClockPeriod() const { return w.TimerId != 0 ? w.Clock.Interval() : 0u; }
  // The clock's ticks until the entry cell stays blocked.
  void PlayToTheEnd() {
    for (int i = 0; i < 2000 && w.Settings.Screen == ScreenPlaying; ++i) After(w.Clock.Interval());
  }

  DefaultStore Store;
  uint64_t Now = 1000;
  TFormWindow w{[this] { return Now; }};
  uint32_t Ticks = 0;
};

TEST_F(WholeGame, FromTheTitleThroughAGameToTheTableAndBack) {
  const platform::Surface& back = *(*w.Surfaces)[BackBuffer].Pixels;

  w.FormShow();
  EXPECT_EQ(WholeMismatches(back, SurfaceTitleScreen, 0, 0), 0);
  After(2000);
  ASSERT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(HalfMismatches(back, SurfaceStartGame, 437, 277, true), 0);
  EXPECT_EQ(HalfMismatches(back, SurfacePlaySetup, 441, 311, false), 0);

  Press(VkReturn);  // Start game
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
  EXPECT_EQ(ClockPeriod(), 1000u);
  EXPECT_EQ(w.Game.AreaWidth, 7);
  EXPECT_EQ(w.Game.AreaHeight, 14);
  const int left = 40 + 15 * 3, top = 17;  // the 7 x 14 area is centred
  EXPECT_EQ(Mismatches(back, SurfaceFrameH, {0, 0, 30 * 7 + 10, 10}, left, top - 10), 0);
  EXPECT_EQ(Mismatches(back, SurfaceFrameV, {0, 0, 10, 30 * 14 + 10}, left - 10, top - 10), 0);

  const int column = w.Game.BubbleColumn;
  Press(VkLeft);
  EXPECT_EQ(w.Game.BubbleColumn, column - 1);
  Press(VkUp);  // rises 13 rows to the top
  EXPECT_EQ(w.Settings.Score, 130u);
  const TSurfaceIndex piece = static_cast<TSurfaceIndex>(SurfaceBlack + w.Settings.Bubbles[column - 1][0]->GetColour());
  EXPECT_EQ(WholeMismatches(back, piece, left + 30 * (column - 1), top), 0);

  Press(VkEscape);
  ASSERT_EQ(w.Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w.TimerId, 0u);
  EXPECT_EQ(HalfMismatches(back, SurfaceResumeGame, 426, 277, true), 0);
  Press(VkReturn);  // Resume
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
  EXPECT_EQ(ClockPeriod(), 1000u);

  PlayToTheEnd();
  ASSERT_EQ(w.Settings.Screen, ScreenGameOver);
  EXPECT_EQ(w.TimerId, 0u);
  EXPECT_EQ(WholeMismatches(back, SurfaceGameOver, 139, 176), 0);
  const uint32_t score = w.Settings.Score;

  // The game left its replay, which plays back to the score the game showed.
  const auto replays = std::filesystem::directory_iterator(Store.ReplayFolder());
  ASSERT_NE(replays, std::filesystem::directory_iterator());
  std::ostringstream out, err;
  EXPECT_EQ(CheckReplayFile(replays->path().string(), out, err), 0) << out.str() << err.str();
  EXPECT_EQ(out.str().rfind("Replayed: score " + std::to_string(score) + ", ", 0), 0u) << out.str();

  After(1000);  // any score enters an empty table
  ASSERT_EQ(w.Settings.Screen, ScreenCongratulations);
  EXPECT_EQ(WholeMismatches(back, SurfaceCongratulations, 48, 27), 0);
  Press('A');
  Press('B');
  EXPECT_EQ(w.Settings.HighScoreNames[5], "AB");
  Press(VkReturn);
  ASSERT_EQ(w.Settings.Screen, ScreenHighScores);
  EXPECT_EQ(WholeMismatches(back, SurfaceHighScore, 76, 27), 0);
  EXPECT_EQ(w.Settings.HighScores[0], score);

  // The table is in the store.
  THighScoreTable stored;
  ASSERT_TRUE(THighScoreRegistry().ReadTable(HighScoreKey(w.Settings), stored));
  EXPECT_EQ(stored.Scores[0], score);
  EXPECT_EQ(stored.Names[0], "AB");

  Press(32);  // Space
  EXPECT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(ClockPeriod(), 250u) << "a new demo game runs behind the menu";
  EXPECT_EQ(HalfMismatches(back, SurfaceStartGame, 437, 277, true), 0);
}

// A controller plugged in on the main menu plays a round alone: the D-pad and the stick walk
// the menus one step per push, south is Enter, east means nothing there; in play the
// directions are the keys bound to Left, Right and Up, east and Start pause; the controller
// leaving pauses the game, coming back changes nothing; a name is entered with it.
TEST_F(WholeGame, AControllerPlaysARoundAlone) {
  VirtualPad::LetThroughWithoutFocus();
  w.FormShow();
  After(2000);
  ASSERT_EQ(w.Settings.Screen, ScreenMainMenu);
  VirtualPad pad;
  const auto step = [&] { ASSERT_TRUE(w.Form.PumpOnce(0)); };
  const auto push = [&](SDL_GameControllerButton button) {
    pad.Set(button, true);
    step();
    pad.Set(button, false);
    step();
  };
  step();
  EXPECT_EQ(w.Form.Pads.Open(), 1);
  EXPECT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(w.Settings.MenuItem, ItemStartGame);

  // One step per press, held or not; the stick pushed meanwhile, and still held once the
  // button is let go, does nothing.
  pad.Set(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  step();
  step();
  EXPECT_EQ(w.Settings.MenuItem, ItemPlaySetup);
  pad.Stick(0, 30000);
  step();
  pad.Set(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  step();
  EXPECT_EQ(w.Settings.MenuItem, ItemPlaySetup);
  pad.Stick(0, 0);
  step();
  pad.Stick(0, 30000);
  step();
  EXPECT_EQ(w.Settings.MenuItem, ItemGameSetup);
  pad.Stick(0, 0);
  step();
  push(SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(w.Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(w.Settings.MenuItem, ItemGameSetup);

  // Into the keys setup: a button ends a capture leaving the binding, a keyboard key binds.
  push(SDL_CONTROLLER_BUTTON_A);
  push(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(w.Settings.Screen, ScreenKeysSetup);
  push(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(w.Settings.KeyToSet, 1);
  push(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(w.Settings.KeyToSet, 0);
  EXPECT_EQ(w.Settings.KeyLeft, VkLeft);
  Press(VkReturn);
  Press('Z');
  EXPECT_EQ(w.Settings.KeyLeft, 'Z');
  push(SDL_CONTROLLER_BUTTON_DPAD_UP);  // Exit, to the game setup
  push(SDL_CONTROLLER_BUTTON_A);
  push(SDL_CONTROLLER_BUTTON_DPAD_UP);  // Exit, to the main menu
  push(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(w.Settings.Screen, ScreenMainMenu);
  push(SDL_CONTROLLER_BUTTON_DPAD_UP);
  push(SDL_CONTROLLER_BUTTON_DPAD_UP);
  push(SDL_CONTROLLER_BUTTON_START);  // Start game
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);

  const int column = w.Game.BubbleColumn;
  push(SDL_CONTROLLER_BUTTON_DPAD_LEFT);  // Left, now on Z
  EXPECT_EQ(w.Game.BubbleColumn, column - 1);
  pad.Stick(30000, 0);
  step();
  pad.Stick(0, 0);
  step();
  EXPECT_EQ(w.Game.BubbleColumn, column);
  push(SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(w.Settings.Score, 130u);
  push(SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // nothing in play
  push(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(w.Settings.Screen, ScreenPlaying);

  for (const SDL_GameControllerButton pause : {SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_B}) {
    push(pause);
    ASSERT_EQ(w.Settings.Screen, ScreenGameMenu);
    EXPECT_EQ(w.Settings.MenuItem, ItemResumeGame);
    EXPECT_EQ(w.TimerId, 0u);
    push(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(w.Settings.Screen, ScreenGameMenu);
    push(pause == SDL_CONTROLLER_BUTTON_B ? SDL_CONTROLLER_BUTTON_START : SDL_CONTROLLER_BUTTON_A);  // Resume
    ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
    EXPECT_EQ(ClockPeriod(), 1000u);
  }

  pad.Unplug();
  step();
  ASSERT_EQ(w.Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w.Settings.MenuItem, ItemResumeGame);
  EXPECT_EQ(w.TimerId, 0u);
  pad.Plug();
  step();
  EXPECT_EQ(w.Form.Pads.Open(), 1);
  EXPECT_EQ(w.Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w.TimerId, 0u);
  push(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(w.Settings.Screen, ScreenPlaying);

  PlayToTheEnd();
  ASSERT_EQ(w.Settings.Screen, ScreenGameOver);
  After(1000);
  ASSERT_EQ(w.Settings.Screen, ScreenCongratulations);
  for (const SDL_GameControllerButton button :
       {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
        SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
        SDL_CONTROLLER_BUTTON_DPAD_LEFT})
    push(button);
  EXPECT_EQ(w.Settings.HighScoreNames[5], "B9");
  push(SDL_CONTROLLER_BUTTON_A);
  ASSERT_EQ(w.Settings.Screen, ScreenHighScores);
  THighScoreTable stored;
  ASSERT_TRUE(THighScoreRegistry().ReadTable(HighScoreKey(w.Settings), stored));
  EXPECT_EQ(stored.Names[0], "B9");
  push(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(w.Settings.Screen, ScreenMainMenu);
}

}  // namespace
