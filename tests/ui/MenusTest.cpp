#include "ui/Menus.h"

#include <vector>

#include "UiGame.h"

namespace {

using Calls = std::vector<std::string>;
constexpr uint16_t KeyA = 65, KeyW = 87, KeyF1 = 112;

class Menus : public UiGame {};

TEST_F(Menus, UpAndDownWalkEachMenusCycleAndWrap) {
  const struct {
    TScreen Screen;
    bool Sound, Music;
    std::vector<TMenuItem> Cycle;
  } cases[] = {
      {ScreenMainMenu, true, true, {ItemStartGame, ItemPlaySetup, ItemGameSetup, ItemExit}},
      {ScreenPlaySetup, true, true, {ItemLevel, ItemMode, ItemHeight, ItemWidth, ItemExit}},
      {ScreenGameSetup, true, true, {ItemKeys, ItemSound, ItemMusic, ItemExit}},
      {ScreenGameSetup, false, true, {ItemKeys, ItemMusic, ItemExit}},
      {ScreenGameSetup, true, false, {ItemKeys, ItemSound, ItemExit}},
      {ScreenGameSetup, false, false, {ItemKeys, ItemExit}},
      {ScreenKeysSetup, true, true, {ItemLeft, ItemRight, ItemUp, ItemExit}},
      {ScreenGameMenu, true, true, {ItemResumeGame, ItemRestartGame, ItemGameSetup, ItemExit}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "screen " << int(c.Screen) << " sound " << c.Sound << " music " << c.Music);
    SoundAvailable = c.Sound;
    MusicAvailable = c.Music;
    On(c.Screen, c.Cycle.front());
    std::vector<int> down, up;
    for (std::size_t i = 0; i < c.Cycle.size(); ++i) {
      Press(VkDown);
      down.push_back(Settings.MenuItem);
    }
    for (std::size_t i = 0; i < c.Cycle.size(); ++i) {
      Press(VkUp);
      up.push_back(Settings.MenuItem);
    }
    std::vector<int> expectedDown(c.Cycle.begin() + 1, c.Cycle.end());
    expectedDown.push_back(c.Cycle.front());
    EXPECT_EQ(down, expectedDown);
    std::vector<int> expectedUp(c.Cycle.rbegin(), c.Cycle.rend());
    EXPECT_EQ(up, expectedUp);
    EXPECT_EQ(Settings.MenuItem, c.Cycle.front());
    EXPECT_EQ(TakeCalls(), Calls(2 * c.Cycle.size(), "sound 0"));

    // Menus take the arrows and Enter only: Escape, the bound keys and letters mean nothing.
    for (const TMenuItem item : c.Cycle) {
      On(c.Screen, item);
      for (const uint16_t key : {VkEscape, KeyA, KeyW, VkBack}) Press(key);
      EXPECT_EQ(Settings.Screen, c.Screen);
      EXPECT_EQ(Settings.MenuItem, item);
      EXPECT_EQ(TakeCalls(), Calls{});
    }
  }
}

// Each action: the screen and item it leads to, and every sound, stored setting and table
// read in its order. Keys not listed for an item do nothing.
TEST_F(Menus, EachActionSoundsChangesAndStoresInItsOrder) {
  const struct {
    TScreen Screen;
    TMenuItem Item;
    uint16_t Key;
    uint16_t Flags;
    int16_t StartLevel;
    TScreen ToScreen;
    TMenuItem ToItem;
    Calls Expected;
  } cases[] = {
      {ScreenMainMenu, ItemPlaySetup, VkReturn, 0x55, 0, ScreenPlaySetup, ItemLevel, {"sound 2"}},
      {ScreenMainMenu, ItemPlaySetup, VkRight, 0x55, 0, ScreenMainMenu, ItemPlaySetup, {}},
      {ScreenMainMenu, ItemGameSetup, VkReturn, 0x55, 0, ScreenGameSetup, ItemKeys, {"sound 2"}},
      {ScreenMainMenu, ItemExit, VkReturn, 0x55, 0, ScreenExit, ItemExit, {"sound 3", "stop"}},
      {ScreenPlaySetup, ItemLevel, VkRight, 0x55, 4, ScreenPlaySetup, ItemLevel, {"sound 1", "write Level 5"}},
      {ScreenPlaySetup, ItemLevel, VkRight, 0x55, 9, ScreenPlaySetup, ItemLevel, {"sound 1", "write Level 0"}},
      {ScreenPlaySetup, ItemLevel, VkLeft, 0x55, 0, ScreenPlaySetup, ItemLevel, {"sound 1", "write Level 9"}},
      {ScreenPlaySetup, ItemLevel, VkReturn, 0x55, 0, ScreenPlaySetup, ItemLevel, {}},
      {ScreenPlaySetup, ItemMode, VkLeft, 0x55, 0, ScreenPlaySetup, ItemMode,
       {"sound 1", "write Flags 341", "read 7x10a"}},
      {ScreenPlaySetup, ItemMode, VkRight, 0x155, 0, ScreenPlaySetup, ItemMode,
       {"sound 1", "write Flags 85", "read 7x10"}},
      {ScreenPlaySetup, ItemMode, VkRight, 0x255, 0, ScreenPlaySetup, ItemMode,  // a stored mode 2 is no mode 1
       {"sound 1", "write Flags 85", "read 7x10"}},
      {ScreenPlaySetup, ItemHeight, VkRight, 0x55, 0, ScreenPlaySetup, ItemHeight,
       {"sound 1", "write Height 11", "read 7x11"}},
      {ScreenPlaySetup, ItemWidth, VkLeft, 0x55, 0, ScreenPlaySetup, ItemWidth,
       {"sound 1", "write Width 6", "read 6x10"}},
      {ScreenPlaySetup, ItemWidth, VkReturn, 0x55, 0, ScreenPlaySetup, ItemWidth, {}},
      {ScreenPlaySetup, ItemExit, VkReturn, 0x55, 0, ScreenMainMenu, ItemPlaySetup, {"sound 3"}},
      {ScreenGameSetup, ItemKeys, VkReturn, 0x55, 0, ScreenKeysSetup, ItemLeft, {"sound 2"}},
      // Volumes: the change first, so that the step is heard at its new volume.
      {ScreenGameSetup, ItemSound, VkLeft, 0x55, 0, ScreenGameSetup, ItemSound, {"write Flags 84", "sound 1"}},
      {ScreenGameSetup, ItemSound, VkRight, 0x55, 0, ScreenGameSetup, ItemSound, {"write Flags 86", "sound 1"}},
      {ScreenGameSetup, ItemSound, VkLeft, 0x50, 0, ScreenGameSetup, ItemSound, {}},
      {ScreenGameSetup, ItemSound, VkRight, 0x5A, 0, ScreenGameSetup, ItemSound, {}},
      {ScreenGameSetup, ItemMusic, VkLeft, 0x55, 0, ScreenGameSetup, ItemMusic,
       {"write Flags 69", "sound 10", "sound 1"}},
      {ScreenGameSetup, ItemMusic, VkRight, 0x95, 0, ScreenGameSetup, ItemMusic,
       {"write Flags 165", "sound 10", "sound 1"}},
      {ScreenGameSetup, ItemMusic, VkRight, 0xA5, 0, ScreenGameSetup, ItemMusic, {}},
      {ScreenGameSetup, ItemMusic, VkLeft, 0x05, 0, ScreenGameSetup, ItemMusic, {}},
      {ScreenGameSetup, ItemExit, VkReturn, 0x55, 0, ScreenGameMenu, ItemGameSetup, {"sound 3"}},
      {ScreenKeysSetup, ItemUp, VkReturn, 0x55, 0, ScreenKeysSetup, ItemUp, {"sound 4"}},
      {ScreenKeysSetup, ItemLeft, VkRight, 0x55, 0, ScreenKeysSetup, ItemLeft, {}},
      {ScreenKeysSetup, ItemExit, VkReturn, 0x55, 0, ScreenGameSetup, ItemKeys, {"sound 3"}},
      {ScreenGameMenu, ItemGameSetup, VkReturn, 0x55, 0, ScreenGameSetup, ItemKeys, {"sound 2"}},
      {ScreenGameMenu, ItemResumeGame, VkLeft, 0x55, 0, ScreenGameMenu, ItemResumeGame, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "screen " << int(c.Screen) << " item " << int(c.Item) << " key " << c.Key);
    On(c.Screen, c.Item);
    Settings.Flags = c.Flags;
    Settings.WidthSetting = 7;
    Settings.HeightSetting = 10;
    Settings.StartLevel = c.StartLevel;
    Settings.Level = 2;
    Settings.KeyToSet = 0;
    Settings.ReturnScreen = ScreenGameMenu;
    Host.Period = 250;  // the demo's clock, or a paused game's stopped one: only Exit stops it
    Press(c.Key);
    EXPECT_EQ(Settings.Screen, c.ToScreen);
    EXPECT_EQ(Settings.MenuItem, c.ToItem);
    EXPECT_EQ(TakeCalls(), c.Expected);
    // The game setup returns to the menu it was entered from.
    if (c.ToScreen == ScreenGameSetup && (c.Screen == ScreenMainMenu || c.Screen == ScreenGameMenu)) {
      EXPECT_EQ(Settings.ReturnScreen, c.Screen);
    }
    // The current level follows the start level the moment it changes.
    EXPECT_EQ(Settings.Level, c.Item == ItemLevel && !c.Expected.empty() ? Settings.GetStartLevel() : 2);
    EXPECT_EQ(Settings.KeyToSet, c.Item == ItemUp ? 3 : 0);
  }
}

// Enter on a binding, then the key: any key is taken as it is, not as a menu key.
TEST_F(Menus, KeyCaptureBindsSwapsOrEndsUnchanged) {
  const struct {
    TMenuItem Item;
    uint16_t Key;
    uint16_t Left, Right, Up;
  } cases[] = {
      {ItemLeft, KeyA, KeyA, VkRight, VkUp},
      {ItemUp, KeyW, VkLeft, VkRight, KeyW},
      {ItemLeft, VkRight, VkRight, VkLeft, VkUp},  // the key of Right: the two swap
      {ItemUp, VkLeft, VkUp, VkRight, VkLeft},
      {ItemRight, VkDown, VkLeft, VkDown, VkUp},  // an arrow is a key like any other here
      {ItemLeft, VkEscape, VkLeft, VkRight, VkUp},
      {ItemRight, VkReturn, VkLeft, VkRight, VkUp},
      {ItemUp, KeyF1, VkLeft, VkRight, VkUp},
      {ItemUp, 0x141, VkLeft, VkRight, VkUp},  // a code whose low byte is "A" is not "A"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "item " << int(c.Item) << " key " << c.Key);
    SetUp();
    On(ScreenKeysSetup, c.Item);
    Press(VkReturn);
    ASSERT_NE(Settings.KeyToSet, 0);
    TakeCalls();
    Press(c.Key);
    EXPECT_EQ(Settings.KeyToSet, 0);
    EXPECT_EQ(Settings.Screen, ScreenKeysSetup);
    EXPECT_EQ(Settings.MenuItem, c.Item);
    EXPECT_EQ(Settings.KeyLeft, c.Left);
    EXPECT_EQ(Settings.KeyRight, c.Right);
    EXPECT_EQ(Settings.KeyUp, c.Up);
    const bool bound = c.Left != VkLeft || c.Right != VkRight || c.Up != VkUp;
    Calls expected = {"sound 4"};
    if (bound) {  // all three bindings are stored
      for (const auto& [name, code] : {std::pair{"Left", c.Left}, {"Right", c.Right}, {"Up", c.Up}})
        expected.push_back("write " + std::string(name) + " " + std::to_string(code));
    }
    EXPECT_EQ(TakeCalls(), expected);
    // The capture is over: the arrows walk the menu again.
    Press(VkDown);
    EXPECT_EQ(Settings.MenuItem, c.Item == ItemUp ? ItemExit : static_cast<TMenuItem>(c.Item + 1));
  }
}

TEST_F(Menus, StartGameBeginsAPlayersGameOfTheChosenSize) {
  Settings.WidthSetting = 8;
  Settings.HeightSetting = 9;
  Settings.StartLevel = 3;
  Settings.Screen = ScreenMainMenu;
  Game.StartDemo();
  TakeCalls();
  On(ScreenMainMenu, ItemStartGame);
  Press(VkReturn);
  EXPECT_EQ(Settings.Screen, ScreenPlaying);
  EXPECT_EQ(Game.AreaWidth, 8);
  EXPECT_EQ(Game.AreaHeight, 9);
  EXPECT_EQ(Game.SpawnColumn, 4);
  EXPECT_EQ(Settings.Level, 3);
  EXPECT_EQ(Game.BubbleRow, 8);
  EXPECT_EQ(Game.BubbleColumn, 3) << "an even width starts in the left middle column";
  const Calls calls = TakeCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2), (Calls{"stop", "sound 9"})) << "the demo's clock stops first";
  EXPECT_EQ(calls.back(), "clock 700");
}

// A paused game: resumed where it was, restarted on its own area, or left for a new demo.
TEST_F(Menus, TheInGameMenuResumesRestartsOrLeavesThePausedGame) {
  const auto pausedGame = [this] {
    Settings.Screen = ScreenPlaying;
    Game.AreaWidth = 6;
    Game.AreaHeight = 8;
    Settings.StartLevel = 1;
    Game.BeginPlay();
    for (int i = 0; i < 3; ++i) Game.GameTick();
    Settings.Level = 4;  // the level has risen since the start
    Settings.WidthSetting = 10;  // the play setup's size is for the next game
    Press(VkEscape);
    ASSERT_EQ(Settings.Screen, ScreenGameMenu);
    ASSERT_EQ(Host.Period, 0);
    TakeCalls();
  };

  const auto board = [this] {
    std::vector<int> colours;
    for (const auto& column : Settings.Bubbles)
      for (const auto& cell : column) colours.push_back(cell != nullptr ? cell->GetColour() : -1);
    return colours;
  };
  pausedGame();
  const std::vector<int> before = board();
  const uint32_t score = Settings.Score;
  Press(VkReturn);
  EXPECT_EQ(Settings.Screen, ScreenPlaying);
  EXPECT_EQ(TakeCalls(), (Calls{"sound 2", "clock 600"}));
  EXPECT_EQ(board(), before);
  EXPECT_EQ(Settings.Score, score);

  pausedGame();
  Press(VkDown);
  ASSERT_EQ(Settings.MenuItem, ItemRestartGame);
  TakeCalls();
  Press(VkReturn);
  EXPECT_EQ(Settings.Screen, ScreenPlaying);
  EXPECT_EQ(Game.AreaWidth, 6);
  EXPECT_EQ(Game.AreaHeight, 8);
  EXPECT_EQ(Settings.Score, 0u);
  EXPECT_EQ(Settings.Level, 1);
  EXPECT_EQ(Game.BubbleRow, 7);
  EXPECT_EQ(Host.Period, 900);
  const Calls restart = TakeCalls();
  EXPECT_EQ(Calls(restart.begin(), restart.begin() + 2), (Calls{"replay", "sound 9"})) << "the game left is kept";

  pausedGame();
  Press(VkUp);
  ASSERT_EQ(Settings.MenuItem, ItemExit);
  TakeCalls();
  Press(VkReturn);
  EXPECT_EQ(Settings.Screen, ScreenMainMenu);
  EXPECT_EQ(Settings.MenuItem, ItemStartGame);
  EXPECT_EQ(Settings.Score, 0u) << "the game is abandoned";
  EXPECT_EQ(Host.Period, 250) << "a demo game runs behind the menu";
  EXPECT_EQ(TakeCalls().front(), "sound 3");
}

// A setting that cannot be stored raises the store's error; the change in memory stays.
TEST_F(Menus, AStoreRefusingAChangeRaisesAndKeepsTheChange) {
  struct RefusingWriter : ISettingsWriter {
    void WriteSetting(TStoredSetting, int32_t) override { throw ERegistryException("Failed to set data for 'Width'"); }
  } refusing;
  Settings.Writer = &refusing;
  On(ScreenPlaySetup, ItemWidth);
  EXPECT_THROW(Press(VkRight), ERegistryException);
  EXPECT_EQ(Settings.WidthSetting, 8);

  On(ScreenKeysSetup, ItemLeft);
  Press(VkReturn);
  EXPECT_THROW(Press(KeyA), ERegistryException);
  EXPECT_EQ(Settings.KeyLeft, KeyA);
  EXPECT_EQ(Settings.KeyToSet, 0) << "the capture is over";
}

}  // namespace
