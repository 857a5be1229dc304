#include "render/SurfaceSet.h"

namespace {

constexpr TPictureEntry Opaque(std::string_view name, int32_t x, int32_t y) { return {name, x, y, false, 0}; }
constexpr TPictureEntry Keyed(std::string_view name, int32_t x, int32_t y, uint32_t key) {
  return {name, x, y, true, key};
}

}  // namespace

constexpr std::array<TPictureEntry, SurfaceCount> PictureEntries = {{
    {},  // primary
    {},  // back buffer
    Opaque("ID_TITLESCREEN", 0, 0),
    Opaque("ID_GAMESCREEN", 0, 0),
    Keyed("ID_SCORELEVELDIGITS", 431, 0, KeyWhite),
    Keyed("ID_HIGHSCOREDIGITS", 431, 0, KeyWhite),
    Keyed("ID_STARTGAME", 437, 277, KeyOrange),
    Keyed("ID_PLAYSETUP", 441, 311, KeyOrange),
    Keyed("ID_GAMESETUP", 438, 345, KeyOrange),
    Keyed("ID_EXITGAME", 446, 379, KeyOrange),
    Keyed("ID_LEVEL", 409, 277, KeyOrange),
    Keyed("ID_MODE", 410, 311, KeyOrange),
    Keyed("ID_STANDARD", 554, 311, KeyOrange),
    Keyed("ID_ADVANCED", 554, 311, KeyOrange),
    Keyed("ID_HEIGHT", 404, 345, KeyOrange),
    Keyed("ID_WIDTH", 406, 379, KeyOrange),
    Keyed("ID_EXIT", 481, 379, KeyOrange),
    Keyed("ID_KEYS", 477, 277, KeyOrange),
    Keyed("ID_SOUND", 406, 311, KeyOrange),
    Keyed("ID_MUSIC", 408, 345, KeyOrange),
    Keyed("ID_LEFT", 417, 277, KeyOrange),
    Keyed("ID_RIGHT", 410, 311, KeyOrange),
    Keyed("ID_UP", 426, 345, KeyOrange),
    Keyed("ID_RESUMEGAME", 426, 277, KeyOrange),
    Keyed("ID_RESTARTGAME", 423, 311, KeyOrange),
    Keyed("ID_KEYSNUMBERS", 0, 0, KeyOrange),
    Keyed("ID_OFF", 547, 0, KeyOrange),
    Keyed("ID_GAMEOVER", 139, 176, KeyDarkRed),
    Keyed("ID_CONGRATULATIONS", 48, 27, KeyPaleYellow),
    Keyed("ID_HIGHSCORE", 76, 27, KeyPaleYellow),
    Keyed("ID_SCORECHARS", 40, 0, KeyPaleYellow),
    Keyed("ID_PLAYERSCORE", 68, 72, KeyPaleYellow),
    Keyed("ID_HIGHSCORECHARS", 0, 0, KeyPaleYellow),
    Keyed("ID_FRAMEH", 0, 0, KeyOrange),
    Keyed("ID_FRAMEV", 0, 0, KeyOrange),
    Opaque("ID_GAMEPLAYAREA", 40, 17),
    Keyed("ID_ABLACK", 0, 0, KeyPaleYellow),
    Keyed("ID_ARED", 0, 0, KeyPaleYellow),
    Keyed("ID_AGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_ABLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_AREDGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_AREDBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_AGREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_AREDGREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_BLACK", 0, 0, KeyPaleYellow),
    Keyed("ID_RED", 0, 0, KeyPaleYellow),
    Keyed("ID_GREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_REDGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_BLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_REDBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_GREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_REDGREENBLUE", 0, 0, KeyPaleYellow),
    Opaque("ID_MARKEDGAMEPLAYAREA", 40, 17),
    Keyed("ID_MARKEDABLACK", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDARED", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDAGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDABLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDAREDGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDAREDBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDAGREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDAREDGREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDBLACK", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDRED", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDREDGREEN", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDREDBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDGREENBLUE", 0, 0, KeyPaleYellow),
    Keyed("ID_MARKEDREDGREENBLUE", 0, 0, KeyPaleYellow),
}};

// The area tiles load red+green before blue, although the array holds the one-component
// colours before the two-component ones: each picture goes straight into its own entry. The
// cells with colour marks come after the game's fifty.
constexpr std::array<TSurfaceIndex, SurfaceCount - 2> PictureLoadOrder = {
    // area tiles
    SurfaceABlack, SurfaceARed, SurfaceAGreen, SurfaceARedGreen, SurfaceABlue, SurfaceARedBlue, SurfaceAGreenBlue,
    SurfaceARedGreenBlue,
    // pieces
    SurfaceBlack, SurfaceRed, SurfaceGreen, SurfaceRedGreen, SurfaceBlue, SurfaceRedBlue, SurfaceGreenBlue,
    SurfaceRedGreenBlue,
    // the play screen
    SurfaceGamePlayArea, SurfaceGameScreen, SurfaceScoreLevelDigits, SurfaceHighScoreDigits, SurfaceFrameH,
    SurfaceFrameV,
    // menus
    SurfaceResumeGame, SurfaceRestartGame, SurfaceGameSetup, SurfaceExit, SurfaceStartGame, SurfacePlaySetup,
    SurfaceExitGame, SurfaceLevel, SurfaceMode, SurfaceStandard, SurfaceAdvanced, SurfaceHeight, SurfaceWidth,
    SurfaceKeys, SurfaceSound, SurfaceMusic, SurfaceOff, SurfaceLeft, SurfaceRight, SurfaceUp, SurfaceKeysNumbers,
    // the rest
    SurfaceGameOver, SurfaceCongratulations, SurfaceHighScore, SurfacePlayerScore, SurfaceHighScoreChars,
    SurfaceScoreChars, SurfaceTitleScreen,
    // with colour marks
    SurfaceMarkedGamePlayArea, SurfaceMarkedABlack, SurfaceMarkedARed, SurfaceMarkedAGreen, SurfaceMarkedABlue,
    SurfaceMarkedARedGreen, SurfaceMarkedARedBlue, SurfaceMarkedAGreenBlue, SurfaceMarkedARedGreenBlue,
    SurfaceMarkedBlack, SurfaceMarkedRed, SurfaceMarkedGreen, SurfaceMarkedRedGreen, SurfaceMarkedBlue,
    SurfaceMarkedRedBlue, SurfaceMarkedGreenBlue, SurfaceMarkedRedGreenBlue,
};

namespace {

constexpr bool LoadsEveryPictureOnce() {
  std::array<int, SurfaceCount> seen{};
  for (const TSurfaceIndex index : PictureLoadOrder) ++seen[index];
  for (int i = SurfaceTitleScreen; i < SurfaceCount; ++i)
    if (seen[i] != 1) return false;
  return seen[PrimarySurface] == 0 && seen[BackBuffer] == 0;
}
static_assert(LoadsEveryPictureOnce());

}  // namespace

TSurfaceSet::TSurfaceSet(uint32_t windowId) {
  Surfaces[PrimarySurface] = std::make_unique<TSurface>(windowId, BorderColour);
  Surfaces[BackBuffer] = std::make_unique<TSurface>(ClientWidth, ClientHeight, *Surfaces[PrimarySurface]);
  TSurface& back = *Surfaces[BackBuffer];
  for (const TSurfaceIndex index : PictureLoadOrder) {
    const TPictureEntry& e = PictureEntries[index];
    Surfaces[index] = e.Keyed ? std::make_unique<TSurface>(e.ResourceName, e.X, e.Y, back, e.ColourKey)
                              : std::make_unique<TSurface>(e.ResourceName, e.X, e.Y, back);
    if (!Surfaces[index]->Loaded()) Missing.emplace_back(e.ResourceName);
  }
}

TSurfaceSet::~TSurfaceSet() {
  for (auto& surface : Surfaces) surface.reset();
}
