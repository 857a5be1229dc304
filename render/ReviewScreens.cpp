// Composes the game's screens from real game states, as the player sees them, for the
// art-review contact sheet: one binary PPM picture per screen and a list with captions.
//   huebloc_review_screens DIR
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/Game.h"
#include "render/ComposeScreen.h"
#include "render/SurfaceSet.h"

namespace {

// Long enough into a player's game for the board to fill and the level to rise.
constexpr int PlayingTicks = 450;

class TNoWindow final : public IComposeHost {
 public:
  void SetWaitCursor() override {}
  void EnableTimerTitle() override {}
  void EnableTimerExit() override {}
};

// A settings record as a player's store might hold it, with a filled high-score table.
void StoredSettings(TSettings& s) {
  s.KeyLeft = 37, s.KeyRight = 39, s.KeyUp = 32;  // arrows and Space
  s.WidthSetting = 7, s.HeightSetting = 10, s.StartLevel = 2;
  s.Flags = 0x0137;  // Advanced, music 3, effects 7
  const char* names[] = {"ANNA", "BERT 2", "QUENTIN", "ZOE", "MAX"};
  const uint32_t scores[] = {48210, 31570, 9870, 2400, 240};
  for (int i = 0; i < 5; ++i) s.HighScoreNames[i] = names[i], s.HighScores[i] = scores[i];
}

bool WritePpm(const std::string& path, const platform::Surface& back) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << back.Width() << ' ' << back.Height() << "\n255\n";
  for (int y = 0; y < back.Height(); ++y)
    for (const uint32_t p : back.Row(y)) {
      const char rgb[] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
      out.write(rgb, 3);
    }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: huebloc_review_screens DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  TSurfaceSet surfaces(TSurface::NoWindow);
  for (const std::string& name : surfaces.MissingPictures()) std::fprintf(stderr, "missing picture %s\n", name.c_str());
  if (!surfaces.MissingPictures().empty()) return 1;

  TSettings settings;
  StoredSettings(settings);
  TNullGameHost host;
  TGame game(settings, host);
  uint32_t ticks = 0;
  game.TickCount = [&ticks] { return ticks += 7919; };
  TNoWindow window;

  std::ofstream list(dir + "/screens.txt");
  int shots = 0;
  const auto shoot = [&](const std::string& caption, bool soundAvailable = true, bool musicAvailable = true,
                         bool colourMarks = false) {
    ComposeScreen(TScreenView{game, soundAvailable, musicAvailable, colourMarks}, surfaces, window);
    const std::string file = "screen" + std::to_string(++shots) + ".ppm";
    if (!WritePpm(dir + "/" + file, *surfaces[BackBuffer].Pixels)) return false;
    list << file << '\t' << caption << '\n';
    return static_cast<bool>(list);
  };
  const auto tick = [&](int count, const std::function<void()>& between = {}) {
    for (int i = 0; i < count && settings.Screen != ScreenGameOver; ++i) {
      game.GameTick();
      if (between) between();
    }
  };

  // Behind the menus a demo game plays itself.
  settings.Screen = ScreenMainMenu;
  game.StartDemo();
  tick(420);
  bool ok = shoot("main menu over the demo game");
  ok = ok && shoot("the same with colour marks", true, true, true);
  settings.Screen = ScreenPlaySetup;
  settings.MenuItem = ItemMode;
  tick(35);
  ok = ok && shoot("play setup: level 2, Advanced, 10 high, 7 wide");
  settings.Screen = ScreenGameSetup;
  settings.ReturnScreen = ScreenMainMenu;
  settings.MenuItem = ItemSound;
  tick(35);
  ok = ok && shoot("game setup, no music device", true, false);
  settings.Screen = ScreenKeysSetup;
  settings.MenuItem = ItemRight;
  settings.KeyToSet = 2;
  ok = ok && shoot("keys setup awaiting a key for Right");
  settings.KeyToSet = 0;

  // A player's game at the stored size. The player aims where the demo would, steers there
  // with the player's own moves and now and then sends the bubble up.
  game.AreaWidth = settings.WidthSetting;
  game.AreaHeight = settings.HeightSetting;
  game.BeginPlay();
  std::mt19937 impatience(2024);
  const auto move = [&] {
    if (!game.BubbleInFlight) return;
    if (game.DemoTargetColumn < 0) game.ChooseDemoColumn();
    if (game.DemoTargetColumn >= 0 && game.BubbleColumn < game.DemoTargetColumn)
      game.PlayRight();
    else if (game.DemoTargetColumn >= 0 && game.BubbleColumn > game.DemoTargetColumn)
      game.PlayLeft();
    else if (impatience() % 4 == 0)
      game.PlayUp();
  };
  tick(PlayingTicks, move);
  if (settings.Screen != ScreenPlaying) {
    std::fprintf(stderr, "huebloc_review_screens: the game ended too soon\n");
    return 1;
  }
  ok = ok && shoot("playing, Advanced 7 x 10");
  ok = ok && shoot("the same with colour marks", true, true, true);
  settings.Screen = ScreenGameMenu;
  settings.MenuItem = ItemResumeGame;
  ok = ok && shoot("in-game menu over the high-score table");
  settings.Screen = ScreenPlaying;
  tick(100000, move);
  if (settings.Screen != ScreenGameOver) {
    std::fprintf(stderr, "huebloc_review_screens: the game did not end\n");
    return 1;
  }
  ok = ok && shoot("game over");
  settings.ClearBoard();
  settings.Screen = ScreenCongratulations;
  settings.HighScoreNames[5] = "MAX Q 7";
  ok = ok && shoot("name entry");
  // The name goes into the table below the scores it does not beat.
  int place = 4;
  while (place > 0 && settings.Score > settings.HighScores[place - 1]) --place;
  for (int i = 4; i > place; --i) {
    settings.HighScores[i] = settings.HighScores[i - 1];
    settings.HighScoreNames[i] = settings.HighScoreNames[i - 1];
  }
  settings.HighScores[place] = settings.Score;
  settings.HighScoreNames[place] = settings.HighScoreNames[5];
  settings.Screen = ScreenHighScores;
  ok = ok && shoot("high scores");
  if (!ok) {
    std::fprintf(stderr, "huebloc_review_screens: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
