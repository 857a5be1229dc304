// What each screen shows: the pictures of its table at their places, over the play-screen
// picture with its three numbers, and what the title and exit screens ask of the window.
#include <functional>

#include "RenderScene.h"
#include "render/ComposeScreen.h"
#include "render/GlyphWidths.h"

namespace {

class Screens : public RenderScene {
 protected:
  struct Shown {
    TSurfaceIndex Index;
    Part Cut;
    int X, Y;
    bool Present = true;
  };

  static Shown Whole(TSurfaceIndex i, int x, int y) {
    const platform::Surface& p = Picture(i);
    return {i, {0, 0, p.Width(), p.Height()}, x, y};
  }
  static Shown Item(TSurfaceIndex i, int x, int y, bool selected) {
    const platform::Surface& p = Picture(i);
    return {i, {0, selected ? 0 : 26, p.Width(), selected ? 26 : 52}, x, y};
  }
  static Shown Glyph(std::size_t index, int x, int y, bool selected) {
    int left = 0;
    for (std::size_t i = 0; i < index; ++i) left += KeyGlyphWidths[i];
    return {SurfaceKeysNumbers, {left, selected ? 0 : 26, left + KeyGlyphWidths[index], selected ? 26 : 52}, x, y};
  }
  static Shown Absent(Shown s) {
    s.Present = false;
    return s;
  }

  // Every screen below starts from this: a 10 x 14 game with a red bubble in its top-left
  // cell, score, level and best score 0, two entries in the high-score table.
  void Base() {
    FillTiles(10, 14, 0);
    Settings.Bubbles[0][0] = std::make_unique<TBubble>(ComponentRed);
    Settings.HighScores = {500, 5, 0, 0, 0, 0};
    Settings.HighScoreNames = {"ANNA", "A", "NOSCORE", "", "", "AB"};
    Settings.StartLevel = 3;
    Settings.HeightSetting = 10;
    Settings.WidthSetting = 7;
    Settings.Flags = 0x0107;  // Advanced, music 0, sound 7
    Settings.KeyLeft = 37, Settings.KeyRight = 39, Settings.KeyUp = 38;
    Settings.ReturnScreen = ScreenMainMenu;
    Settings.KeyToSet = 0;
  }
};

TEST_F(Screens, EveryScreenShowsItsPicturesAtTheirPlaces) {
  const Shown scoreDigit0{SurfaceScoreLevelDigits, {0, 0, 14, 16}, 499, 100};
  const Shown levelDigit0{SurfaceScoreLevelDigits, {0, 0, 14, 16}, 499, 159};
  const Shown bestDigit0{SurfaceHighScoreDigits, {0, 0, 14, 16}, 499, 218};
  const Shown logo{SurfaceGameScreen, {400, 0, 632, 90}, 400, 0};
  const Shown bubble = Whole(SurfaceRed, 40, 17);
  const Shown emptyCell = Whole(SurfaceGamePlayArea, 40, 17);
  const Shown heading = Whole(SurfaceHighScore, 76, 27), heads = Whole(SurfacePlayerScore, 68, 72);
  struct Case {
    const char* Name;
    std::function<void(TSettings&)> Set;
    std::vector<Shown> Expected;
    std::vector<std::string> HostCalls;
  };
  const std::vector<Case> cases = {
      {"title",
       [](TSettings& s) { s.Screen = ScreenTitle; },
       {Whole(SurfaceTitleScreen, 0, 0)},
       {"wait cursor", "title timer"}},
      {"exit", [](TSettings& s) { s.Screen = ScreenExit; }, {Whole(SurfaceTitleScreen, 0, 0)}, {"exit timer"}},
      {"main menu",
       [](TSettings& s) { s.Screen = ScreenMainMenu, s.MenuItem = ItemPlaySetup; },
       {logo, scoreDigit0, levelDigit0, bestDigit0, bubble, Item(SurfaceStartGame, 437, 277, false),
        Item(SurfacePlaySetup, 441, 311, true), Item(SurfaceGameSetup, 438, 345, false),
        Item(SurfaceExitGame, 446, 379, false)},
       {}},
      {"play setup",
       [](TSettings& s) { s.Screen = ScreenPlaySetup, s.MenuItem = ItemMode; },
       {logo, scoreDigit0, bubble, Item(SurfaceLevel, 409, 277, false), Glyph(3 + 5, 554, 277, false),
        Item(SurfaceMode, 410, 311, true), Item(SurfaceAdvanced, 554, 311, true), Item(SurfaceHeight, 404, 345, false),
        Glyph(10 + 5, 554, 345, false), Item(SurfaceWidth, 406, 379, false), Glyph(7 + 5, 554, 379, false),
        Item(SurfaceExit, 481, 413, false)},
       {}},
      {"game setup from the main menu",
       [](TSettings& s) { s.Screen = ScreenGameSetup, s.ReturnScreen = ScreenMainMenu, s.MenuItem = ItemSound; },
       {logo, bestDigit0, bubble, Item(SurfaceKeys, 477, 277, false), Item(SurfaceSound, 406, 311, true),
        Glyph(7 + 5, 547, 311, true), Item(SurfaceMusic, 408, 345, false), Item(SurfaceOff, 547, 345, false),
        Item(SurfaceExit, 481, 379, false)},
       {}},
      {"game setup from the in-game menu",
       [](TSettings& s) { s.Screen = ScreenGameSetup, s.ReturnScreen = ScreenGameMenu, s.MenuItem = ItemMusic; },
       {logo, emptyCell, heading, heads, Item(SurfaceMusic, 408, 345, true), Item(SurfaceOff, 547, 345, true)},
       {}},
      {"keys setup awaiting Right",
       [](TSettings& s) { s.Screen = ScreenKeysSetup, s.MenuItem = ItemRight, s.KeyToSet = 2; },
       {logo, bubble, Item(SurfaceLeft, 417, 277, false), Glyph(3, 534, 277, false), Item(SurfaceRight, 410, 311, true),
        Absent(Glyph(2, 534, 311, true)), Item(SurfaceUp, 426, 345, false), Glyph(0, 534, 345, false),
        Item(SurfaceExit, 481, 379, false)},
       {}},
      {"in-game menu",
       [](TSettings& s) { s.Screen = ScreenGameMenu, s.MenuItem = ItemResumeGame; },
       {logo, levelDigit0, emptyCell, heading, heads, Item(SurfaceResumeGame, 426, 277, true),
        Item(SurfaceRestartGame, 423, 311, false), Item(SurfaceGameSetup, 438, 345, false),
        Item(SurfaceExit, 481, 379, false)},
       {}},
      {"playing", [](TSettings& s) { s.Screen = ScreenPlaying; }, {logo, scoreDigit0, bestDigit0, bubble}, {}},
      {"game over",
       [](TSettings& s) { s.Screen = ScreenGameOver; },
       {logo, bubble, Whole(SurfaceGameOver, 139, 176)},
       {}},
      {"name entry",
       [](TSettings& s) { s.Screen = ScreenCongratulations; },
       {logo,
        Whole(SurfaceGamePlayArea, 40, 407),
        Whole(SurfaceCongratulations, 48, 27),
        {SurfaceScoreChars, {0, 0, 24, 32}, 178, 147},
        {SurfaceScoreChars, {210, 0, 238, 32}, 164, 189}},
       {}},
      {"high scores",
       [](TSettings& s) { s.Screen = ScreenHighScores; },
       {logo,
        emptyCell,
        heading,
        heads,
        {SurfaceHighScoreChars, {113, 0, 127, 15}, 113, 130},  // "A" centred on 120
        {SurfaceHighScoreChars, {55, 0, 66, 15}, 262, 130},    // "5" centred on 267
        // Entries with score 0 leave their rows (y 150 on) empty, whatever their names.
        Whole(SurfaceGamePlayArea, 70, 137),
        Whole(SurfaceGamePlayArea, 100, 167),
        Whole(SurfaceGamePlayArea, 220, 197)},
       {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    Base();
    k.Set(Settings);
    Window.Calls.clear();
    Clear();
    Compose();
    for (const Shown& s : k.Expected) {
      const int wrong = Mismatches(s.Index, s.Cut, s.X, s.Y);
      if (s.Present)
        EXPECT_EQ(wrong, 0) << PictureEntries[s.Index].ResourceName << " at " << s.X << ", " << s.Y;
      else
        EXPECT_GT(wrong, 0) << PictureEntries[s.Index].ResourceName << " at " << s.X << ", " << s.Y;
    }
    EXPECT_EQ(Window.Calls, k.HostCalls);
    EXPECT_FALSE(Untouched(0, 0, 632, 453));
  }
}

// With no device the value shows Off whatever the stored volume; a volume of 0 shows Off too.
TEST_F(Screens, SoundAndMusicValuesFollowTheirDevices) {
  struct Case {
    bool Sound, Music;
    uint16_t Flags;
    bool SoundOff, MusicOff;
  };
  const Case cases[] = {{true, true, 0x35, false, false},
                        {false, true, 0x35, true, false},
                        {true, false, 0x35, false, true},
                        {true, true, 0x00, true, true}};
  Base();
  Settings.Screen = ScreenGameSetup;
  Settings.MenuItem = ItemKeys;
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.Sound << k.Music << " flags " << k.Flags);
    SoundAvailable = k.Sound, MusicAvailable = k.Music, Settings.Flags = k.Flags;
    Compose();
    EXPECT_EQ(Mismatches(SurfaceOff, {0, 26, 43, 52}, 547, 311) == 0, k.SoundOff);
    EXPECT_EQ(Mismatches(SurfaceOff, {0, 26, 43, 52}, 547, 345) == 0, k.MusicOff);
    const Shown five = Glyph(5 + 5, 547, 311, false), three = Glyph(3 + 5, 547, 345, false);
    EXPECT_EQ(Mismatches(five.Index, five.Cut, five.X, five.Y) == 0, !k.SoundOff);
    EXPECT_EQ(Mismatches(three.Index, three.Cut, three.X, three.Y) == 0, !k.MusicOff);
  }
}

}  // namespace

namespace {

// Colour marks change the board's bubbles and tiles and nothing else: with them on, each cell
// of a board on screen shows the marked picture of its tile with that of its bubble over it,
// and every other pixel of every screen is what it is with them off.
TEST_F(Screens, ColourMarksChangeOnlyTheCellsOfTheBoard) {
  struct Case {
    TScreen Screen, Return;
    bool ShowsBoard;
  };
  const Case cases[] = {
      {ScreenTitle, ScreenMainMenu, false},     {ScreenMainMenu, ScreenMainMenu, true},
      {ScreenPlaySetup, ScreenMainMenu, true},  {ScreenGameSetup, ScreenMainMenu, true},
      {ScreenGameSetup, ScreenGameMenu, false}, {ScreenKeysSetup, ScreenMainMenu, true},
      {ScreenGameMenu, ScreenMainMenu, false},  {ScreenPlaying, ScreenMainMenu, true},
      {ScreenGameOver, ScreenMainMenu, true},   {ScreenExit, ScreenMainMenu, false},
      {ScreenCongratulations, ScreenMainMenu, false}, {ScreenHighScores, ScreenMainMenu, false},
  };
  Base();
  // Every tile value, and bubbles of every colour over them in the lower rows.
  for (int c = 0; c < 10; ++c)
    for (int r = 0; r < 14; ++r) {
      Settings.Areas[c][r] = std::make_unique<TArea>(static_cast<uint8_t>((c + 2 * r) % 9));
      Settings.Bubbles[c][r] = r < 6 ? nullptr : std::make_unique<TBubble>(static_cast<uint8_t>((3 * c + r) % 8));
    }
  const auto snapshot = [&](bool marks) {
    ColourMarks = marks;
    Clear();
    Compose();
    return std::vector<uint32_t>(Back().Row(0).data(), Back().Row(0).data() + 632 * 453);
  };
  // The expected pixels of a cell with marks: its tile, under its bubble where there is one.
  const auto cellMismatches = [&](int c, int r) {
    const auto tileIndex = static_cast<TSurfaceIndex>(SurfaceMarkedGamePlayArea + Settings.Areas[c][r]->GetValue());
    const platform::Surface& tile = Picture(tileIndex);
    const TBubble* bubble = Settings.Bubbles[c][r].get();
    const platform::Surface* piece =
        bubble != nullptr ? &Picture(static_cast<TSurfaceIndex>(SurfaceMarkedBlack + bubble->GetColour())) : nullptr;
    int wrong = 0;
    for (int j = 0; j < 30; ++j)
      for (int i = 0; i < 30; ++i) {
        uint32_t expected = tile.Row(j)[static_cast<std::size_t>(i)];
        if (piece != nullptr && piece->Row(j)[static_cast<std::size_t>(i)] != KeyPaleYellow)
          expected = piece->Row(j)[static_cast<std::size_t>(i)];
        wrong += At(40 + 30 * c + i, 17 + 30 * r + j) != expected;
      }
    return wrong;
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "screen " << int{k.Screen} << " from " << int{k.Return});
    Settings.Screen = k.Screen;
    Settings.ReturnScreen = k.Return;
    const std::vector<uint32_t> plain = snapshot(false), marked = snapshot(true);
    int inside = 0, outside = 0;
    for (int y = 0; y < 453; ++y)
      for (int x = 0; x < 632; ++x)
        if (plain[static_cast<std::size_t>(y * 632 + x)] != marked[static_cast<std::size_t>(y * 632 + x)])
          ++(x >= 40 && x < 340 && y >= 17 && y < 437 ? inside : outside);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(inside > 0, k.ShowsBoard);
    if (!k.ShowsBoard || k.Screen == ScreenGameOver) continue;  // the sign covers part of the board
    int wrongCells = 0;
    for (int c = 0; c < 10; ++c)
      for (int r = 0; r < 14; ++r) wrongCells += cellMismatches(c, r) != 0;
    EXPECT_EQ(wrongCells, 0);
  }
}

}  // namespace
