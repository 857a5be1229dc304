// The surface set: the window's primary, the back buffer and the pictures (the fifty of the
// game and the cells with colour marks), each with its place, its colour key and the surface
// it is drawn onto. The window owns one set; it builds it at start-up (and anew after a
// display change) and destroys it at exit.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "render/Surface.h"

// Entries in array order. The order matters: AreaTileSurfaces is indexed by area-tile value
// and PieceSurfaces by bubble colour (red 1, green 2, blue 4), and so are their marked twins.
enum TSurfaceIndex : uint8_t {
  PrimarySurface,
  BackBuffer,
  SurfaceTitleScreen,
  SurfaceGameScreen,
  SurfaceScoreLevelDigits,
  SurfaceHighScoreDigits,
  SurfaceStartGame,
  SurfacePlaySetup,
  SurfaceGameSetup,
  SurfaceExitGame,
  SurfaceLevel,
  SurfaceMode,
  SurfaceStandard,
  SurfaceAdvanced,
  SurfaceHeight,
  SurfaceWidth,
  SurfaceExit,
  SurfaceKeys,
  SurfaceSound,
  SurfaceMusic,
  SurfaceLeft,
  SurfaceRight,
  SurfaceUp,
  SurfaceResumeGame,
  SurfaceRestartGame,
  SurfaceKeysNumbers,
  SurfaceOff,
  SurfaceGameOver,
  SurfaceCongratulations,
  SurfaceHighScore,
  SurfaceScoreChars,
  SurfacePlayerScore,
  SurfaceHighScoreChars,
  SurfaceFrameH,
  SurfaceFrameV,
  SurfaceGamePlayArea,  // area tile 0
  SurfaceABlack,
  SurfaceARed,
  SurfaceAGreen,
  SurfaceABlue,
  SurfaceARedGreen,
  SurfaceARedBlue,
  SurfaceAGreenBlue,
  SurfaceARedGreenBlue,
  SurfaceBlack,  // bubble colour 0
  SurfaceRed,
  SurfaceGreen,
  SurfaceRedGreen,
  SurfaceBlue,
  SurfaceRedBlue,
  SurfaceGreenBlue,
  SurfaceRedGreenBlue,
  SurfaceMarkedGamePlayArea,  // the same cells with colour marks
  SurfaceMarkedABlack,
  SurfaceMarkedARed,
  SurfaceMarkedAGreen,
  SurfaceMarkedABlue,
  SurfaceMarkedARedGreen,
  SurfaceMarkedARedBlue,
  SurfaceMarkedAGreenBlue,
  SurfaceMarkedARedGreenBlue,
  SurfaceMarkedBlack,
  SurfaceMarkedRed,
  SurfaceMarkedGreen,
  SurfaceMarkedRedGreen,
  SurfaceMarkedBlue,
  SurfaceMarkedRedBlue,
  SurfaceMarkedGreenBlue,
  SurfaceMarkedRedGreenBlue,
  SurfaceCount
};

// Colour keys of the pictures, 0x00RRGGBB.
constexpr uint32_t KeyPaleYellow = 0x00FFFEC1;  // cells, headings, character strips
constexpr uint32_t KeyWhite = 0x00FFFFFF;       // digit strips
constexpr uint32_t KeyOrange = 0x00F8A521;      // frame bars, menu pictures, key-name strip
constexpr uint32_t KeyDarkRed = 0x00800000;     // the game-over sign

// Around the picture when the window or the full screen is larger: the night blue at the foot
// of the play screen's backdrop, so the picture seems to go on into it.
constexpr uint32_t BorderColour = 0x00090B22;

// One picture entry: its resource, its default place on the back buffer (0 where the place
// is given at drawing time) and its colour key (none: drawn opaque).
struct TPictureEntry {
  std::string_view ResourceName;
  int32_t X = 0;
  int32_t Y = 0;
  bool Keyed = false;
  uint32_t ColourKey = 0;
};

// The picture entries, indexed by TSurfaceIndex (the first two, primary and back buffer, empty).
extern const std::array<TPictureEntry, SurfaceCount> PictureEntries;
// The order in which the pictures are loaded.
extern const std::array<TSurfaceIndex, SurfaceCount - 2> PictureLoadOrder;

class TSurfaceSet {
 public:
  // Builds the primary on the window of that id (TSurface::NoWindow: a set that draws but
  // shows nothing) with the border colour, the back buffer of the picture's size bound to it,
  // then every picture in load order. A picture that cannot be loaded leaves its entry without pixels
  // (drawing it does nothing) and is named by MissingPictures, so that start-up can refuse
  // to run. Throws std::runtime_error when the window cannot be presented into.
  explicit TSurfaceSet(uint32_t windowId);
  // Destroys the entries in array order.
  ~TSurfaceSet();
  TSurfaceSet(const TSurfaceSet&) = delete;
  TSurfaceSet& operator=(const TSurfaceSet&) = delete;

  static constexpr int ClientWidth = 632;
  static constexpr int ClientHeight = 453;

  TSurface& operator[](TSurfaceIndex index) { return *Surfaces[index]; }
  const TSurface& operator[](TSurfaceIndex index) const { return *Surfaces[index]; }

  // Resource names of the pictures that could not be loaded, in load order.
  const std::vector<std::string>& MissingPictures() const { return Missing; }

  // Area tiles by value 0..8 (0 is the empty cell) and pieces by colour 0..7, plain and
  // with colour marks.
  using TCellSurfaces = std::span<const std::unique_ptr<TSurface>, 9>;
  using TPieceSurfaces = std::span<const std::unique_ptr<TSurface>, 8>;
  TCellSurfaces AreaTileSurfaces() const { return All().subspan<SurfaceGamePlayArea, 9>(); }
  TPieceSurfaces PieceSurfaces() const { return All().subspan<SurfaceBlack, 8>(); }
  TCellSurfaces MarkedAreaTileSurfaces() const { return All().subspan<SurfaceMarkedGamePlayArea, 9>(); }
  TPieceSurfaces MarkedPieceSurfaces() const { return All().subspan<SurfaceMarkedBlack, 8>(); }

 private:
  std::span<const std::unique_ptr<TSurface>, SurfaceCount> All() const { return Surfaces; }

  std::array<std::unique_ptr<TSurface>, SurfaceCount> Surfaces;
  std::vector<std::string> Missing;
};
