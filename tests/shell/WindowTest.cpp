// The window as a thin owner, on a real (headless) window and a private store: the key latch,
// the game clock and the screen timers on a made-up clock, the focus, display changes and a
// store that refuses a write.
#include "shell/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/TempStore.h"
#include "ui/DefaultSettings.h"
#include "ui/KeyDispatch.h"

namespace {

constexpr uint16_t KeyA = 65, KeyD = 68;

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<TFormWindow>([this] { return NowMs; });
    ASSERT_TRUE(w->InitDirectX());
    ASSERT_EQ(w->Settings.Screen, ScreenTitle);
    w->Game.TickCount = [] { return 1234u; };
  }

  // A player's game on a 7 x 10 board of plain tiles, one red bubble rising from (3, 9).
  void Playing() {
    TSettings& s = w->Settings;
    s.KeyLeft = KeyA;
    s.KeyRight = KeyD;
    s.Screen = ScreenPlaying;
    w->Game.AreaWidth = 7;
    w->Game.AreaHeight = 10;
    for (int c = 0; c < 7; ++c)
      for (int r = 0; r < 10; ++r) s.Areas[c][r] = std::make_unique<TArea>(0);
    s.Bubbles[3][9] = std::make_unique<TBubble>(1);
    w->Game.BubbleColumn = 3;
    w->Game.BubbleRow = 9;
    w->Game.BubbleInFlight = true;
  }

  void At(uint64_t ms) {
    NowMs = ms;
    w->Timers.FireDue();
  }
  // The running clock's period, 0 while it is stopped.
  uint32_t ClockPeriod() const { return w->TimerId != 0 ? w->Clock.Interval() : 0; }

  TempStore Store;  // never the player's own settings
  uint64_t NowMs = 10000;
  std::unique_ptr<TFormWindow> w;
};

TEST_F(Window, HeldKeyActsOnceAndAnyKeyUpRearms) {
  Playing();
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

// The clock is a timer of the window's loop: it ticks at its period, a restart (a level
// change) counts the new period from then, and once stopped (Escape) it never ticks again.
TEST_F(Window, TheClockTicksOnTheLoopUntilItIsStopped) {
  Playing();
  w->StartClock(1000);
  const uint32_t first = w->TimerId;
  ASSERT_NE(first, 0u);
  At(NowMs + 999);
  EXPECT_EQ(w->Game.BubbleRow, 9);
  At(NowMs + 1);
  EXPECT_EQ(w->Game.BubbleRow, 8);

  w->StartClock(900);
  EXPECT_NE(w->TimerId, first);
  EXPECT_EQ(ClockPeriod(), 900u);
  At(NowMs + 899);
  EXPECT_EQ(w->Game.BubbleRow, 8);
  At(NowMs + 1);
  EXPECT_EQ(w->Game.BubbleRow, 7);

  w->FormKeyDown(VkEscape);
  EXPECT_EQ(w->TimerId, 0u);
  At(NowMs + 10000);
  EXPECT_EQ(w->Game.BubbleRow, 7);
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
}

// The title shows with the hourglass for 2 s from its first drawing, however often the window
// is activated meanwhile; then the main menu with a demo game and the arrow. Exit shows the
// title again and closes the window 2 s later.
TEST_F(Window, TitleAndExitLastTwoSecondsFromTheirFirstDrawing) {
  w->FormShow();
  EXPECT_EQ(w->Form.Cursor(), platform::CursorShape::Wait);
  EXPECT_STREQ(SDL_GetWindowTitle(SDL_GetWindowFromID(w->Form.WindowId())), "Huebloc");
  At(11500);
  w->FormShow();  // activated again
  At(11999);
  EXPECT_EQ(w->Settings.Screen, ScreenTitle);
  At(12000);
  EXPECT_EQ(w->Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(w->Settings.MenuItem, ItemStartGame);
  EXPECT_EQ(w->Form.Cursor(), platform::CursorShape::Arrow);
  EXPECT_EQ(ClockPeriod(), 250u) << "the demo runs behind the menu";
  EXPECT_FALSE(w->TimerTitle.Enabled());

  w->Settings.MenuItem = ItemExit;
  w->FormKeyDown(VkReturn);
  EXPECT_EQ(w->Settings.Screen, ScreenExit);
  EXPECT_EQ(w->TimerId, 0u);
  At(13999);
  EXPECT_FALSE(w->Form.Closed());
  At(14000);
  EXPECT_TRUE(w->Form.Closed());
}

// After the game-over pause the board is cleared; a score strictly above the fifth best goes to
// the name entry, an equal one to the table.
TEST_F(Window, GameOverLeadsToNameEntryOnlyAboveTheFifthScore) {
  const struct {
    uint32_t Score;
    TScreen Then;
  } cases[] = {{500, ScreenHighScores}, {501, ScreenCongratulations}, {0, ScreenHighScores}};
  for (const auto& c : cases) {
    Playing();
    w->Settings.HighScores = {900, 800, 700, 600, 500, 0};
    w->Settings.HighScoreNames[5] = "OLD";
    w->Settings.Score = c.Score;
    w->Settings.Screen = ScreenGameOver;
    w->EnableGameOverTimer();
    At(NowMs + 999);
    EXPECT_EQ(w->Settings.Screen, ScreenGameOver);
    At(NowMs + 1);
    EXPECT_EQ(w->Settings.Screen, c.Then) << c.Score;
    EXPECT_EQ(w->Settings.Bubbles[3][9], nullptr) << "the finished game's board is cleared";
    if (c.Then == ScreenCongratulations) {
      EXPECT_EQ(w->Settings.HighScoreNames[5], "");
    }
  }
}

// Losing the focus pauses a game in play into the in-game menu; every other screen carries on.
TEST_F(Window, FocusLossPausesOnlyAGameInPlay) {
  w->TimerTitleTimer();
  ASSERT_EQ(w->Settings.Screen, ScreenMainMenu);
  w->ApplicationEventsDeactivate();
  EXPECT_EQ(w->Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(ClockPeriod(), 250u) << "the demo keeps running";

  Playing();
  w->StartClock(1000);
  w->ApplicationEventsDeactivate();
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w->Settings.MenuItem, ItemResumeGame);
  EXPECT_EQ(w->TimerId, 0u);
  w->FormShow();  // back: the menu is drawn again and the game stays paused
  EXPECT_EQ(w->Settings.Screen, ScreenGameMenu);
  EXPECT_EQ(w->TimerId, 0u);
}

// A display change stops the clock. When the pictures no longer suit the display they are made
// anew and the game starts over from the title, the sound kept as it was; below true colour
// the game says why and closes.
TEST_F(Window, DisplayChangesRebuildThePicturesOrEndTheGame) {
  Playing();
  w->StartClock(1000);
  w->WMDisplayChange(32);  // the same mode: only the clock stops
  EXPECT_EQ(w->TimerId, 0u);
  EXPECT_EQ(w->Settings.Screen, ScreenPlaying);

  bool changed = true;
  w->DirectDraw = std::make_unique<platform::DisplayModeCheck>([&] {
    return std::optional<uint32_t>(changed ? 1u : 2u);
  });
  changed = false;
  const TAudio* audio = w->Audio.get();
  w->StartClock(1000);
  w->WMDisplayChange(32);
  EXPECT_EQ(w->TimerId, 0u);
  ASSERT_NE(w->Surfaces.get(), nullptr);
  EXPECT_EQ(w->DirectDraw->TestCooperativeLevel(), platform::DD_OK) << "made anew for the display as it is";
  EXPECT_EQ(w->Audio.get(), audio);
  EXPECT_EQ(w->Settings.Screen, ScreenTitle);
  EXPECT_TRUE(w->TimerTitle.Enabled()) << "the title's delay starts again";
  EXPECT_FALSE(w->Form.Closed());

  w->WMDisplayChange(16);
  EXPECT_FALSE(SDL_GetWindowFlags(SDL_GetWindowFromID(w->Form.WindowId())) & SDL_WINDOW_SHOWN);
  EXPECT_TRUE(w->Form.Closed());
}

// A setting the store refuses is shown, and the game goes on with the new value.
TEST_F(Window, ARefusedWriteLeavesTheGameRunning) {
  struct Refusing final : ISettingsWriter {
    void WriteSetting(TStoredSetting, int32_t) override { throw std::runtime_error("disk full"); }
  } refusing;
  w->Settings.Writer = &refusing;
  w->Settings.Screen = ScreenPlaySetup;
  w->Settings.MenuItem = ItemLevel;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i) {
    w->FormKeyDown(VkRight);
    w->FormKeyUp(VkRight);
  }
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(w->Settings.StartLevel, 2);
  EXPECT_EQ(w->Settings.Screen, ScreenPlaySetup);
  EXPECT_NE(shown.find("disk full"), std::string::npos) << shown;
  w->Settings.Writer = nullptr;
}

// What the player chooses of the display is stored when chosen and used at the next start; the
// command line's choices and the game's own resizes are not stored, and a value edited out of
// range counts as no choice.
TEST(WindowDisplay, ThePlayersChoicesAreStoredAndUsedAtTheNextStart) {
  TempStore store;
  WriteDefaultSettings("/nowhere");
  const std::string installed = TempStore::ReadText(store.SettingsFile());
  const auto stored = [](const char* name) {
    TRegistry display;
    const bool open = display.OpenKey(std::string(SettingsKeyPath) + "\\Display", false);
    return open && display.ValueExists(name) ? display.ReadInteger(name) : -1;
  };
  const auto start = [](TRunOptions options = {}) {
    auto window = std::make_unique<TFormWindow>(platform::TimerHost::ClockFn{}, TStoreUse::ReadWrite, options);
    EXPECT_TRUE(window->InitDirectX());
    window->Form.PumpOnce(0);
    return window;
  };

  auto w = start();
  EXPECT_FALSE(w->Form.FullScreen());
  EXPECT_EQ(w->WindowScale, w->Form.FittingScale(std::nullopt));
  // As on a larger display; after a change of display the window fits the one it is on.
  w->WindowScale = 2;
  w->Form.SetWindowScale(2);
  w->Form.PumpOnce(0);
  w->Form.OnDisplayChange(24);
  w->Form.PumpOnce(0);
  EXPECT_EQ(w->WindowScale, 1);
  EXPECT_EQ(w->Form.PictureScale(), 1);
  EXPECT_EQ(TempStore::ReadText(store.SettingsFile()), installed) << "nothing written without a choice";
  w->FormHotkey(platform::Hotkey::FullScreen);
  EXPECT_TRUE(w->Form.FullScreen());
  w->Form.PumpOnce(0);
  EXPECT_EQ(stored("Fullscreen"), 1);
  EXPECT_EQ(stored("Scale"), -1) << "full screen is no scale of the window";

  w = start();
  EXPECT_TRUE(w->Form.FullScreen());
  w->FormHotkey(platform::Hotkey::FullScreen);
  EXPECT_FALSE(w->Form.FullScreen());
  SDL_SetWindowSize(SDL_GetWindowFromID(w->Form.WindowId()), 1300, 1000);  // the player's
  w->Form.PumpOnce(0);
  EXPECT_EQ(stored("Fullscreen"), 0);
  EXPECT_EQ(stored("Scale"), 2);
  EXPECT_EQ(w->WantedScale, 2);

  TRunOptions forced;
  forced.FullScreen = true;
  forced.Scale = 1;
  w = start(forced);
  EXPECT_TRUE(w->Form.FullScreen());
  EXPECT_EQ(w->WantedScale, 1);
  w = start();
  EXPECT_FALSE(w->Form.FullScreen()) << "the command line's choice was for its run only";
  EXPECT_EQ(w->WantedScale, 2);
  EXPECT_EQ(w->WindowScale, 1) << "the display has no room for the stored scale";

  w.reset();
  TRegistry display;
  ASSERT_TRUE(display.OpenKey(std::string(SettingsKeyPath) + "\\Display", false));
  display.WriteInteger("Fullscreen", 7);
  display.WriteInteger("Scale", 99);
  w = start();
  EXPECT_FALSE(w->Form.FullScreen());
  EXPECT_EQ(w->WindowScale, 1);
  EXPECT_EQ(stored("Scale"), 99) << "left as it is until the player chooses";
}

}  // namespace

// F3 composes the board again with the marks of its colours at once and stores the choice at
// once; the next start shows them. The command line's choice is for its run only, a value
// edited by hand counts as on unless it is 0, and one that is no number as off.
TEST(WindowDisplay, ColourMarksSwitchWithOneKeyAndAreStored) {
  TempStore store;
  WriteDefaultSettings("/nowhere");
  TRegistry display;
  const auto stored = [&] {
    return display.OpenKey(std::string(SettingsKeyPath) + "\\Display", false) && display.ValueExists("ColourMarks")
               ? display.ReadInteger("ColourMarks")
               : -1;
  };
  const auto start = [](TRunOptions options = {}) {
    auto window = std::make_unique<TFormWindow>(platform::TimerHost::ClockFn{}, TStoreUse::ReadWrite, options);
    EXPECT_TRUE(window->InitDirectX());
    return window;
  };
  const auto differing = [](const platform::Surface& a, const platform::Surface& b) {
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x) count += a.Row(y)[x] != b.Row(y)[x] ? 1 : 0;
    return count;
  };

  auto w = start();
  EXPECT_FALSE(w->ColourMarks) << "off while nothing is stored";
  TSettings& s = w->Settings;
  s.Screen = ScreenPlaying;
  w->Game.AreaWidth = 7;
  w->Game.AreaHeight = 10;
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 10; ++r) s.Areas[c][r] = std::make_unique<TArea>(0);
  s.Bubbles[3][9] = std::make_unique<TBubble>(7);  // white: all three marks
  w->ComposeScreen();
  const platform::Surface& back = *(*w->Surfaces)[BackBuffer].Pixels;
  platform::Surface plain(back.Width(), back.Height());
  ASSERT_EQ(plain.Blt(nullptr, back, nullptr, 0), platform::DD_OK);

  w->FormHotkey(platform::Hotkey::ColourMarks);
  EXPECT_TRUE(w->ColourMarks);
  EXPECT_EQ(stored(), 1);
  const int marked = differing(plain, back);
  EXPECT_GT(marked, 0) << "the marked bubble shows without another composition";
  EXPECT_LT(marked, 30 * 30 / 4) << "only the marks of the one bubble change";
  w->FormHotkey(platform::Hotkey::ColourMarks);
  EXPECT_EQ(stored(), 0);
  EXPECT_EQ(differing(plain, back), 0);
  w->FormHotkey(platform::Hotkey::ColourMarks);

  w = start();
  EXPECT_TRUE(w->ColourMarks);
  TRunOptions off;
  off.ColourMarks = false;
  w = start(off);
  EXPECT_FALSE(w->ColourMarks);
  EXPECT_EQ(stored(), 1) << "the command line's choice is not stored";

  w.reset();
  for (const auto& [value, shown] : {std::pair{7, true}, std::pair{-1, true}, std::pair{0, false}}) {
    display.WriteInteger("ColourMarks", value);
    EXPECT_EQ(start()->ColourMarks, shown) << value;
  }
  display.WriteString("ColourMarks", "on");
  EXPECT_FALSE(start()->ColourMarks);
}
