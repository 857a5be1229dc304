// The game's pictures as the generator wrote them into the build: format, sizes, colour keys,
// the cut of the two-state pictures and glyph strips, and that they are redrawn identically.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "resources/BmpImage.h"
#include "resources/pictures/ColourVision.h"

namespace {

constexpr uint32_t PaleYellow = 0xFFFEC1, White = 0xFFFFFF, Orange = 0xF8A521, DarkRed = 0x800000;
constexpr uint32_t NoKey = 0xFFFFFFFF;

enum class Kind { Screen, Cell, Tile, Piece, Frame, TwoState, KeyStrip, Digits, Chars, Heading, Sign };

struct Expected {
  const char* Name;
  int Width, Height;
  uint32_t Key;
  Kind What;
};

// The surface set: sizes and keys the game creates each picture with.
const std::vector<Expected>& Pictures() {
  static const std::vector<Expected> list = {
      {"ID_TITLESCREEN", 632, 453, NoKey, Kind::Screen},
      {"ID_GAMESCREEN", 632, 453, NoKey, Kind::Screen},
      {"ID_SCORELEVELDIGITS", 129, 16, White, Kind::Digits},
      {"ID_HIGHSCOREDIGITS", 129, 16, White, Kind::Digits},
      {"ID_STARTGAME", 137, 52, Orange, Kind::TwoState},
      {"ID_PLAYSETUP", 129, 52, Orange, Kind::TwoState},
      {"ID_GAMESETUP", 136, 52, Orange, Kind::TwoState},
      {"ID_EXITGAME", 119, 52, Orange, Kind::TwoState},
      {"ID_LEVEL", 67, 52, Orange, Kind::TwoState},
      {"ID_MODE", 66, 52, Orange, Kind::TwoState},
      {"ID_STANDARD", 42, 52, Orange, Kind::TwoState},
      {"ID_ADVANCED", 50, 52, Orange, Kind::TwoState},
      {"ID_HEIGHT", 78, 52, Orange, Kind::TwoState},
      {"ID_WIDTH", 74, 52, Orange, Kind::TwoState},
      {"ID_EXIT", 50, 52, Orange, Kind::TwoState},
      {"ID_KEYS", 57, 52, Orange, Kind::TwoState},
      {"ID_SOUND", 74, 52, Orange, Kind::TwoState},
      {"ID_MUSIC", 70, 52, Orange, Kind::TwoState},
      {"ID_LEFT", 51, 52, Orange, Kind::TwoState},
      {"ID_RIGHT", 66, 52, Orange, Kind::TwoState},
      {"ID_UP", 33, 52, Orange, Kind::TwoState},
      {"ID_RESUMEGAME", 159, 52, Orange, Kind::TwoState},
      {"ID_RESTARTGAME", 166, 52, Orange, Kind::TwoState},
      {"ID_KEYSNUMBERS", 1269, 52, Orange, Kind::KeyStrip},
      {"ID_OFF", 43, 52, Orange, Kind::TwoState},
      {"ID_GAMEOVER", 101, 101, DarkRed, Kind::Sign},
      {"ID_CONGRATULATIONS", 283, 110, PaleYellow, Kind::Heading},
      {"ID_HIGHSCORE", 228, 35, PaleYellow, Kind::Heading},
      {"ID_SCORECHARS", 835, 32, PaleYellow, Kind::Chars},
      {"ID_PLAYERSCORE", 244, 28, PaleYellow, Kind::Heading},
      {"ID_HIGHSCORECHARS", 434, 15, PaleYellow, Kind::Chars},
      {"ID_FRAMEH", 310, 10, Orange, Kind::Frame},
      {"ID_FRAMEV", 10, 430, Orange, Kind::Frame},
      {"ID_GAMEPLAYAREA", 30, 30, NoKey, Kind::Cell},
      {"ID_ABLACK", 30, 30, PaleYellow, Kind::Tile},
      {"ID_ARED", 30, 30, PaleYellow, Kind::Tile},
      {"ID_AGREEN", 30, 30, PaleYellow, Kind::Tile},
      {"ID_ABLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_AREDGREEN", 30, 30, PaleYellow, Kind::Tile},
      {"ID_AREDBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_AGREENBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_AREDGREENBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_BLACK", 30, 30, PaleYellow, Kind::Piece},
      {"ID_RED", 30, 30, PaleYellow, Kind::Piece},
      {"ID_GREEN", 30, 30, PaleYellow, Kind::Piece},
      {"ID_REDGREEN", 30, 30, PaleYellow, Kind::Piece},
      {"ID_BLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_REDBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_GREENBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_REDGREENBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDGAMEPLAYAREA", 30, 30, NoKey, Kind::Cell},
      {"ID_MARKEDABLACK", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDARED", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDAGREEN", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDABLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDAREDGREEN", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDAREDBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDAGREENBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDAREDGREENBLUE", 30, 30, PaleYellow, Kind::Tile},
      {"ID_MARKEDBLACK", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDRED", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDGREEN", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDREDGREEN", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDREDBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDGREENBLUE", 30, 30, PaleYellow, Kind::Piece},
      {"ID_MARKEDREDGREENBLUE", 30, 30, PaleYellow, Kind::Piece},
  };
  return list;
}

const std::vector<int> KeyGlyphWidths = {33, 70, 66, 51, 70, 20, 10, 17, 17, 19, 17, 18, 17,
                                         21, 18, 29, 20, 27, 27, 28, 23, 20, 18, 22, 20, 17,
                                         20, 21, 10, 14, 20, 17, 26, 21, 21, 19, 21, 21, 17,
                                         18, 21, 21, 29, 22, 21, 17, 59, 55, 43};
const std::vector<int> DigitWidths = {14, 8, 14, 12, 12, 15, 13, 14, 14, 13};
// Digits then capitals; the space of the game's alphabet has no column in the strips.
const std::vector<int> BigCharWidths = {24, 13, 21, 21, 22, 21, 21, 20, 25, 22, 28, 24,
                                        22, 27, 24, 21, 24, 26, 13, 17, 24, 20, 31, 26,
                                        24, 22, 24, 25, 21, 23, 25, 26, 35, 26, 26, 21};
const std::vector<int> SmallCharWidths = {13, 8,  11, 11, 12, 11, 11, 11, 13, 12, 14, 12,
                                          11, 13, 12, 11, 13, 13, 9,  10, 12, 11, 15, 13,
                                          12, 11, 13, 13, 11, 12, 13, 13, 17, 13, 13, 11};

// Pieces by colour value (red 1, green 2, blue 4), and every picture a cell can show.
const char* const PieceNames[8] = {"ID_BLACK", "ID_RED",     "ID_GREEN",     "ID_REDGREEN",
                                   "ID_BLUE",  "ID_REDBLUE", "ID_GREENBLUE", "ID_REDGREENBLUE"};
const char* const CellNames[9] = {"ID_GAMEPLAYAREA", "ID_ABLACK",     "ID_ARED",
                                  "ID_AGREEN",       "ID_ABLUE",      "ID_AREDGREEN",
                                  "ID_AREDBLUE",     "ID_AGREENBLUE", "ID_AREDGREENBLUE"};
// The same with colour marks.
const char* const MarkedPieceNames[8] = {"ID_MARKEDBLACK", "ID_MARKEDRED",     "ID_MARKEDGREEN",
                                         "ID_MARKEDREDGREEN", "ID_MARKEDBLUE", "ID_MARKEDREDBLUE",
                                         "ID_MARKEDGREENBLUE", "ID_MARKEDREDGREENBLUE"};
const char* const MarkedCellNames[9] = {"ID_MARKEDGAMEPLAYAREA", "ID_MARKEDABLACK",     "ID_MARKEDARED",
                                        "ID_MARKEDAGREEN",       "ID_MARKEDABLUE",      "ID_MARKEDAREDGREEN",
                                        "ID_MARKEDAREDBLUE",     "ID_MARKEDAGREENBLUE", "ID_MARKEDAREDGREENBLUE"};
// The colour (red 1, green 2, blue 4) each cell picture admits, -1 for every colour.
constexpr int CellColours[9] = {-1, 0, 1, 2, 4, 3, 5, 6, 7};

std::string PathOf(const std::string& dir, const std::string& name) { return dir + "/" + name + ".bmp"; }

const BmpImage& Load(const std::string& name) {
  static std::map<std::string, BmpImage> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, DecodeBmp(ReadBytes(PathOf(HUEBLOC_PICTURES_DIR, name)))).first;
  return it->second;
}

int R(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int G(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int B(uint32_t p) { return static_cast<int>(p & 0xFF); }

int Distance(uint32_t a, uint32_t b) {
  return std::max({std::abs(R(a) - R(b)), std::abs(G(a) - G(b)), std::abs(B(a) - B(b))});
}

double Luminance(uint32_t p) {  // relative luminance of an sRGB colour
  const auto lin = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(R(p)) + 0.7152 * lin(G(p)) + 0.0722 * lin(B(p));
}

double Contrast(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Mean {
  double R = 0, G = 0, B = 0;
  int Count = 0;
};

// Mean colour of the pixels in a box that are not the key.
Mean InkMean(const BmpImage& img, int x0, int y0, int x1, int y1, uint32_t key) {
  Mean m;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = img.At(x, y);
      if (p == key) continue;
      m.R += R(p);
      m.G += G(p);
      m.B += B(p);
      ++m.Count;
    }
  if (m.Count > 0) {
    m.R /= m.Count;
    m.G /= m.Count;
    m.B /= m.Count;
  }
  return m;
}

// Non-key pixels of the box [x0, x1) x [y0, y1).
int InkCount(const BmpImage& img, int x0, int y0, int x1, int y1, uint32_t key) {
  return InkMean(img, x0, y0, x1, y1, key).Count;
}

// The colour components a bubble colour value holds: red 1, green 2, blue 4.
void ExpectComponents(const Mean& m, int colour, const std::string& what) {
  const double channel[3] = {m.R, m.G, m.B};
  if (colour == 0 || colour == 7) {
    const double spread = std::max({m.R, m.G, m.B}) - std::min({m.R, m.G, m.B});
    EXPECT_LT(spread, 40) << what << " should be neutral";
    return;
  }
  for (int c = 0; c < 3; ++c)
    for (int o = 0; o < 3; ++o) {
      const bool hasC = colour & (1 << c), hasO = colour & (1 << o);
      if (hasC && !hasO) {
        EXPECT_GT(channel[c], channel[o] + 40) << what << ": channel " << c << " over channel " << o;
      }
    }
}

TEST(Pictures, EveryPictureIsAnUncompressed24BitBottomUpBmpOfItsSize) {
  for (const Expected& e : Pictures()) {
    const BmpImage& img = Load(e.Name);
    ASSERT_TRUE(img.Valid()) << e.Name << ": " << img.Error;
    EXPECT_EQ(img.Width, e.Width) << e.Name;
    EXPECT_EQ(img.Height, e.Height) << e.Name;
  }
}

TEST(Pictures, TheFolderHoldsTheGamesPicturesAndNoOthers) {
  std::vector<std::string> found;
  for (const auto& f : std::filesystem::directory_iterator(HUEBLOC_PICTURES_DIR))
    if (f.path().extension() == ".bmp") found.push_back(f.path().stem().string());
  std::vector<std::string> expected;
  for (const Expected& e : Pictures()) expected.push_back(e.Name);
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

TEST(Pictures, NoPixelOfAKeyedPictureComesNearItsKeyWithoutBeingIt) {
  // A near-key pixel would be drawn where transparency was meant, or the other way round.
  for (const Expected& e : Pictures()) {
    if (e.Key == NoKey || e.What == Kind::Tile) continue;  // tiles are always drawn opaque
    const BmpImage& img = Load(e.Name);
    int near = 0;
    for (uint32_t p : img.Pixels) near += p != e.Key && Distance(p, e.Key) < 4;
    EXPECT_EQ(near, 0) << e.Name;
  }
}

TEST(Pictures, OrangeKeyedEdgesAreNotTintedByTheKey) {
  // Menu text, key names and frame bars are drawn over the play screen's blue panel and
  // well: their edges must blend into those, never into the orange key.
  for (const Expected& e : Pictures()) {
    if (e.Key != Orange) continue;
    const BmpImage& img = Load(e.Name);
    int warm = 0;
    for (uint32_t p : img.Pixels) warm += p != Orange && R(p) - B(p) >= 30;
    EXPECT_EQ(warm, 0) << e.Name;
  }
}

TEST(Pictures, PiecesAreRoundDiscsWithKeyCornersInTheirOwnColours) {
  const char* const* names = PieceNames;
  for (int colour = 0; colour < 8; ++colour) {
    const BmpImage& img = Load(names[colour]);
    for (const auto& [cx, cy] : {std::pair{0, 0}, {29, 0}, {0, 29}, {29, 29}})
      for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(img.At(cx == 0 ? d : 29 - d, cy), PaleYellow) << names[colour];
        EXPECT_EQ(img.At(cx, cy == 0 ? d : 29 - d), PaleYellow) << names[colour];
      }
    // The disc reaches near every edge and is solid inside.
    EXPECT_NE(img.At(15, 2), PaleYellow) << names[colour];
    EXPECT_NE(img.At(2, 15), PaleYellow) << names[colour];
    EXPECT_EQ(InkMean(img, 5, 5, 25, 25, PaleYellow).Count, 400) << names[colour];
    // Body colour, away from the highlight at the upper left.
    ExpectComponents(InkMean(img, 15, 15, 24, 24, PaleYellow), colour, names[colour]);
  }
  const Mean black = InkMean(Load("ID_BLACK"), 15, 15, 24, 24, PaleYellow);
  const Mean white = InkMean(Load("ID_REDGREENBLUE"), 15, 15, 24, 24, PaleYellow);
  EXPECT_LT(black.G, 110);
  EXPECT_GT(white.G, 170);
}

TEST(Pictures, PiecesAreLitFromTheUpperLeft) {
  for (const char* name : {"ID_BLACK", "ID_RED", "ID_GREEN", "ID_BLUE", "ID_REDGREENBLUE"}) {
    const BmpImage& img = Load(name);
    const auto brightness = [&](int x0, int y0) {
      const Mean m = InkMean(img, x0, y0, x0 + 6, y0 + 6, PaleYellow);
      return m.R + m.G + m.B;
    };
    EXPECT_GT(brightness(8, 8), brightness(16, 16)) << name;
  }
}

TEST(Pictures, AreaTilesShowTheirFadedColourInTheCorners) {
  // Tile values 1..8 in the order of the surface set, with the colour each one stands for.
  const std::pair<const char*, int> tiles[8] = {{"ID_ABLACK", 0},    {"ID_ARED", 1},
                                                {"ID_AGREEN", 2},    {"ID_ABLUE", 4},
                                                {"ID_AREDGREEN", 3}, {"ID_AREDBLUE", 5},
                                                {"ID_AGREENBLUE", 6}, {"ID_AREDGREENBLUE", 7}};
  for (const auto& [name, colour] : tiles) {
    const BmpImage& tile = Load(name);
    // The corner a piece leaves uncovered shows the tile's colour, not the plain ground.
    Mean corner;
    for (const auto& [x, y] : {std::pair{3, 3}, {26, 3}, {3, 26}, {26, 26}}) {
      const uint32_t p = tile.At(x, y);
      EXPECT_GT(Distance(p, PaleYellow), 20) << name << " at " << x << "," << y;
      corner.R += R(p) / 4.0, corner.G += G(p) / 4.0, corner.B += B(p) / 4.0;
    }
    ExpectComponents(corner, colour, name);
    // Faded: lighter than the piece of the same colour.
    const Mean piece = InkMean(Load(PieceNames[colour]), 15, 15, 24, 24, PaleYellow);
    EXPECT_GT(corner.R + corner.G + corner.B, piece.R + piece.G + piece.B + 60) << name;
  }
}

TEST(Pictures, PieceEdgesFallOnThePlainGroundOfEveryCell) {
  // A piece's anti-aliased edge is blended into the pale-yellow ground, so every cell
  // picture must show exactly that ground wherever a piece has an edge pixel, marked or not.
  std::vector<const char*> pieces(std::begin(PieceNames), std::end(PieceNames));
  pieces.insert(pieces.end(), std::begin(MarkedPieceNames), std::end(MarkedPieceNames));
  std::vector<const char*> cells(std::begin(CellNames), std::end(CellNames));
  cells.insert(cells.end(), std::begin(MarkedCellNames), std::end(MarkedCellNames));
  for (const char* piece : pieces) {
    const BmpImage& p = Load(piece);
    for (const char* cell : cells) {
      const BmpImage& c = Load(cell);
      int fringe = 0;
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
          if (p.At(x, y) == PaleYellow) continue;
          bool edge = false;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              edge = edge || (x + dx >= 0 && x + dx < 30 && y + dy >= 0 && y + dy < 30 &&
                              p.At(x + dx, y + dy) == PaleYellow);
          fringe += edge && c.At(x, y) != PaleYellow;
        }
      EXPECT_EQ(fringe, 0) << piece << " over " << cell;
    }
  }
}

// Pixels at which two cell pictures clearly differ, seen with that vision.
int ClearlyDifferentPixels(const BmpImage& a, const BmpImage& b, picgen::Vision v, double deltaE) {
  int count = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i)
    count += picgen::DeltaE(picgen::SeenLab(v, a.Pixels[i]), picgen::SeenLab(v, b.Pixels[i])) > deltaE;
  return count;
}

// Colour marks: a bubble carries one mark per component, in the component's own place (red at
// the top, green at the lower left, blue at the lower right), black none; a tile carries the
// marks of the colours it admits in the corners a resting bubble leaves uncovered, A-black a
// mark of its own in the fourth corner, a plain cell none. Otherwise the marked pictures are
// the plain ones, and the marks cover no more than a quarter of the cell.
TEST(Pictures, MarkedCellsAreThePlainOnesWithTheMarksOfTheirColours) {
  struct Place {
    int Component;  // red 1, green 2, blue 4; 0 for the mark of no component
    int X0, Y0, X1, Y1;
  };
  const Place onPiece[] = {{1, 9, 1, 21, 13}, {2, 3, 14, 15, 27}, {4, 15, 14, 27, 27}};
  const Place onTile[] = {{1, 0, 0, 10, 10}, {2, 0, 20, 10, 30}, {4, 20, 20, 30, 30}, {0, 20, 0, 30, 10}};
  struct Case {
    const char *Plain, *Marked;
    int Colour;  // the colour shown or admitted, -1 for a plain cell
    bool Piece;
  };
  std::vector<Case> cases;
  for (int i = 0; i < 8; ++i) cases.push_back({PieceNames[i], MarkedPieceNames[i], i, true});
  for (int i = 0; i < 9; ++i) cases.push_back({CellNames[i], MarkedCellNames[i], CellColours[i], false});
  const BmpImage& anyPiece = Load(PieceNames[0]);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Marked);
    const BmpImage &plain = Load(k.Plain), &marked = Load(k.Marked);
    int marks = 0, misplaced = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        if (marked.At(x, y) == plain.At(x, y)) continue;
        ++marks;
        // On a bubble, never where it is transparent; on a tile, only where bubbles are.
        misplaced += (k.Piece ? plain : anyPiece).At(x, y) == PaleYellow ? k.Piece : !k.Piece;
      }
    EXPECT_EQ(misplaced, 0);
    EXPECT_LE(marks, 30 * 30 / 4);
    EXPECT_EQ(marks == 0, (k.Colour == 0 && k.Piece) || k.Colour < 0);
    for (const Place& p : k.Piece ? std::span<const Place>(onPiece) : std::span<const Place>(onTile)) {
      int changed = 0;
      for (int y = p.Y0; y < p.Y1; ++y)
        for (int x = p.X0; x < p.X1; ++x) changed += marked.At(x, y) != plain.At(x, y);
      const bool expected = k.Colour >= 0 && (p.Component == 0 ? k.Colour == 0 : (k.Colour & p.Component) != 0);
      EXPECT_EQ(changed >= 8, expected) << "place of component " << p.Component << ": " << changed << " pixels";
    }
  }
}

// Without hue the marked bubbles, and the marked cells, must still tell apart in every pair:
// in greyscale and with protanopia, deuteranopia and tritanopia at full severity. Two pictures
// differ clearly when at least a mark's worth of their pixels do: 12 pixels, three quarters
// of the smallest mark (a tile's 4 x 4 corner square), each differing by more than 15 in
// CIELAB, six times the just-noticeable difference of about 2.3. Hue alone fails this:
// without their marks, red and green bubbles and tiles differ in no pixel by that much to
// a deuteranope, nor red and blue bubbles in greyscale.
TEST(Pictures, EveryPairOfMarkedCellsDiffersClearlyWithoutHue) {
  constexpr double ClearDifference = 15;
  constexpr int MarksWorth = 12;
  const std::vector<std::vector<const char*>> sets = {
      {std::begin(MarkedPieceNames), std::end(MarkedPieceNames)},
      {std::begin(MarkedCellNames), std::end(MarkedCellNames)}};
  for (const auto& set : sets)
    for (const picgen::Vision v : picgen::Visions)
      for (size_t i = 0; i < set.size(); ++i)
        for (size_t j = i + 1; j < set.size(); ++j)
          EXPECT_GE(ClearlyDifferentPixels(Load(set[i]), Load(set[j]), v, ClearDifference), MarksWorth)
              << set[i] << " and " << set[j] << " seen with " << picgen::VisionName(v);
}

TEST(Pictures, TheEmptyCellIsAPaleHoleOnThePaleYellowGround) {
  const BmpImage& cell = Load("ID_GAMEPLAYAREA");
  EXPECT_LT(Distance(cell.At(4, 4), PaleYellow), 8);
  const uint32_t hole = cell.At(13, 13);
  EXPECT_NE(hole, cell.At(4, 4));
  EXPECT_GT(std::min({R(hole), G(hole), B(hole)}), 150);
}

// The colour menu pictures are drawn over: the play screen's menu panel.
uint32_t MenuPanel() { return Load("ID_GAMESCREEN").At(506, 300); }

// The text body of one half of a two-state picture, rather than its glow or shadow: pixels
// standing out from the panel at least `share` as much as the most distinct one of that half.
std::vector<bool> Body(const BmpImage& img, int x0, int x1, int half, double share) {
  const uint32_t panel = MenuPanel();
  int most = 0;
  for (int y = 0; y < 26; ++y)
    for (int x = x0; x < x1; ++x)
      if (img.At(x, half * 26 + y) != Orange) most = std::max(most, Distance(img.At(x, half * 26 + y), panel));
  std::vector<bool> body;
  for (int y = 0; y < 26; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = img.At(x, half * 26 + y);
      body.push_back(p != Orange && Distance(p, panel) >= share * most);
    }
  return body;
}

double Overlap(const std::vector<bool>& a, const std::vector<bool>& b) {
  int both = 0, either = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    both += a[i] && b[i];
    either += a[i] || b[i];
  }
  return either == 0 ? 0.0 : static_cast<double>(both) / either;
}

// Mean colour of the brightest body pixels of one half.
Mean BodyColour(const BmpImage& img, int x0, int x1, int half) {
  const std::vector<bool> body = Body(img, x0, x1, half, 0.8);
  Mean m;
  size_t i = 0;
  for (int y = 0; y < 26; ++y)
    for (int x = x0; x < x1; ++x, ++i)
      if (body[i]) {
        const uint32_t p = img.At(x, half * 26 + y);
        m.R += R(p), m.G += G(p), m.B += B(p), ++m.Count;
      }
  if (m.Count > 0) m.R /= m.Count, m.G /= m.Count, m.B /= m.Count;
  return m;
}

// Checks one two-state glyph or picture in the columns [x0, x1).
void ExpectTwoState(const BmpImage& img, int x0, int x1, const std::string& what) {
  ASSERT_GT(InkMean(img, x0, 0, x1, 26, Orange).Count, 10) << what;
  ASSERT_GT(InkMean(img, x0, 26, x1, 52, Orange).Count, 10) << what;
  // The same text in both halves, in the same place.
  EXPECT_GT(Overlap(Body(img, x0, x1, 0, 0.5), Body(img, x0, x1, 1, 0.5)), 0.6) << what;
  // Selected (cyan) above, plain (white) below.
  const Mean cyan = BodyColour(img, x0, x1, 0), white = BodyColour(img, x0, x1, 1);
  EXPECT_GT(cyan.G, cyan.R + 80) << what << " selected half is cyan";
  EXPECT_GT(cyan.B, cyan.R + 80) << what << " selected half is cyan";
  EXPECT_GT(std::min({white.R, white.G, white.B}), 190) << what << " plain half is white";
  // Nothing runs into the other half.
  EXPECT_EQ(InkCount(img, x0, 25, x1, 27, Orange), 0) << what << " crosses between its halves";
}

TEST(Pictures, MenuPicturesHoldTheirTextTwiceCentredOnTheKey) {
  for (const Expected& e : Pictures()) {
    if (e.What != Kind::TwoState) continue;
    const BmpImage& img = Load(e.Name);
    ExpectTwoState(img, 0, img.Width, e.Name);
    int left = img.Width, right = -1;
    for (int y = 0; y < img.Height; ++y) {
      EXPECT_EQ(img.At(0, y), Orange) << e.Name;
      EXPECT_EQ(img.At(img.Width - 1, y), Orange) << e.Name;
      for (int x = 0; x < img.Width; ++x)
        if (img.At(x, y) != Orange && Luminance(img.At(x, y)) > 0.35) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    }
    // Centred, so each label lands on its menu column.
    EXPECT_NEAR((left + right + 1) / 2.0, img.Width / 2.0, 1.5) << e.Name;
  }
}

// Every column of a strip holds a glyph, and no glyph touches its neighbours' columns.
void ExpectGlyphColumns(const Expected& e, const std::vector<int>& widths) {
  const BmpImage& img = Load(e.Name);
  ASSERT_EQ(std::accumulate(widths.begin(), widths.end(), 0), img.Width) << e.Name;
  int x0 = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    const int x1 = x0 + widths[i];
    EXPECT_GT(InkCount(img, x0, 0, x1, img.Height, e.Key), 8) << e.Name << " glyph " << i << " is empty";
    EXPECT_EQ(InkCount(img, x0, 0, x0 + 1, img.Height, e.Key), 0) << e.Name << " glyph " << i << " touches its left edge";
    EXPECT_EQ(InkCount(img, x1 - 1, 0, x1, img.Height, e.Key), 0) << e.Name << " glyph " << i << " touches its right edge";
    x0 = x1;
  }
}

TEST(Pictures, KeyNameGlyphsStayInTheirColumnsInBothStates) {
  const Expected& e = *std::find_if(Pictures().begin(), Pictures().end(),
                                    [](const Expected& p) { return p.What == Kind::KeyStrip; });
  ExpectGlyphColumns(e, KeyGlyphWidths);
  const BmpImage& img = Load(e.Name);
  int x0 = 0;
  for (size_t i = 0; i < KeyGlyphWidths.size(); ++i) {
    ExpectTwoState(img, x0, x0 + KeyGlyphWidths[i], "key glyph " + std::to_string(i));
    x0 += KeyGlyphWidths[i];
  }
}

TEST(Pictures, NumberAndCharacterGlyphsStayInTheirColumns) {
  for (const Expected& e : Pictures()) {
    if (e.What == Kind::Digits) ExpectGlyphColumns(e, DigitWidths);
    if (e.Name == std::string("ID_SCORECHARS")) ExpectGlyphColumns(e, BigCharWidths);
    if (e.Name == std::string("ID_HIGHSCORECHARS")) ExpectGlyphColumns(e, SmallCharWidths);
  }
}

// The strip's most distinct ink: the largest distance of a non-key pixel of rows [y0, y1)
// from the ground.
int FullInk(const BmpImage& img, int y0, int y1, uint32_t key, uint32_t ground) {
  int full = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < img.Width; ++x)
      if (img.At(x, y) != key) full = std::max(full, Distance(img.At(x, y), ground));
  return full;
}

// How heavy a glyph's strokes are, in pixels of full ink: in each row that holds ink, the
// heaviest stroke (a run of pixels summing their coverage), and of those the median row.
// Coverage is a pixel's distance from the ground the strip is drawn on, against the strip's
// most distinct ink; only pixels on the ink's side of the ground count (not a shadow).
double StrokeWeight(const BmpImage& img, int x0, int x1, int y0, int y1, uint32_t key, uint32_t ground,
                    bool lightInk, int fullInk) {
  std::vector<double> rows;
  for (int y = y0; y < y1; ++y) {
    double heaviest = 0, run = 0;
    for (int x = x0; x <= x1; ++x) {
      double coverage = 0;
      if (x < x1) {
        const uint32_t p = img.At(x, y);
        if (p != key && (Luminance(p) > Luminance(ground)) == lightInk)
          coverage = std::min(1.0, Distance(p, ground) / static_cast<double>(fullInk));
      }
      if (coverage >= 0.15) {
        run += coverage;
      } else {
        heaviest = std::max(heaviest, run);
        run = 0;
      }
    }
    if (heaviest > 0) rows.push_back(heaviest);
  }
  if (rows.empty()) return 0;
  std::sort(rows.begin(), rows.end());
  return rows[rows.size() / 2];
}

TEST(Pictures, EveryGlyphIsDrawnWithStrokesAsHeavyAsTheRest) {
  // Narrow glyphs squeezed into their columns ("1", "I", "J") must not come out as thin
  // grey lines beside their neighbours. Key names are measured in their plain half, the one
  // without a glow, over the panel they are drawn on.
  struct Strip {
    const char* Name;
    const std::vector<int>& Widths;
    int Y0, Y1;
    uint32_t Key, Ground;
    bool LightInk;
  };
  const Strip strips[] = {
      {"ID_KEYSNUMBERS", KeyGlyphWidths, 26, 52, Orange, MenuPanel(), true},
      {"ID_SCORELEVELDIGITS", DigitWidths, 0, 16, White, White, false},
      {"ID_HIGHSCOREDIGITS", DigitWidths, 0, 16, White, White, false},
      {"ID_SCORECHARS", BigCharWidths, 0, 32, PaleYellow, PaleYellow, false},
      {"ID_HIGHSCORECHARS", SmallCharWidths, 0, 15, PaleYellow, PaleYellow, false},
  };
  constexpr double Lightest = 1.4;  // pixels of full ink across a stroke
  for (const Strip& s : strips) {
    const BmpImage& img = Load(s.Name);
    const int fullInk = FullInk(img, s.Y0, s.Y1, s.Key, s.Ground);
    ASSERT_GT(fullInk, 100) << s.Name;
    int x0 = 0;
    for (size_t i = 0; i < s.Widths.size(); ++i) {
      const int x1 = x0 + s.Widths[i];
      EXPECT_GE(StrokeWeight(img, x0, x1, s.Y0, s.Y1, s.Key, s.Ground, s.LightInk, fullInk), Lightest)
          << s.Name << " glyph " << i;
      x0 = x1;
    }
  }
}

// The high-score table is small text on the pale play area. Its characters must be as bold,
// for their height, and as dark as the large characters of the name entry (within a tenth),
// and each must fill its column but for one clear column on either side: then the gap
// between letters is two columns everywhere, and a space's three columns more read as a gap
// between words ("BEN 2", not "BEN2").
TEST(Pictures, TableTextIsAsBoldAndDarkAsTheLargeTextWithEvenGaps) {
  struct Strip {
    const char* Name;
    const std::vector<int>& Widths;
    double Weight = 0, Contrast = 0;
  };
  Strip strips[] = {{"ID_SCORECHARS", BigCharWidths}, {"ID_HIGHSCORECHARS", SmallCharWidths}};
  for (Strip& s : strips) {
    const BmpImage& img = Load(s.Name);
    const int full = FullInk(img, 0, img.Height, PaleYellow, PaleYellow);
    // Weight: the strokes as a share of the ink's height, the median glyph's.
    std::vector<double> weights;
    int x0 = 0;
    for (const int w : s.Widths) {
      int rows = 0;
      for (int y = 0; y < img.Height; ++y) rows += InkCount(img, x0, y, x0 + w, y + 1, PaleYellow) > 0;
      weights.push_back(StrokeWeight(img, x0, x0 + w, 0, img.Height, PaleYellow, PaleYellow, false, full) / rows);
      x0 += w;
    }
    std::sort(weights.begin(), weights.end());
    s.Weight = weights[weights.size() / 2];
    // Contrast: the darkest tenth of the solid ink against the ground.
    std::vector<double> solid;
    for (const uint32_t p : img.Pixels)
      if (p != PaleYellow && Distance(p, PaleYellow) >= 0.8 * full) solid.push_back(Luminance(p));
    ASSERT_GE(solid.size(), 10u) << s.Name;
    std::sort(solid.begin(), solid.end());
    const size_t tenth = solid.size() / 10;
    const double dark = std::accumulate(solid.begin(), solid.begin() + static_cast<std::ptrdiff_t>(tenth), 0.0) /
                        static_cast<double>(tenth);
    s.Contrast = (Luminance(PaleYellow) + 0.05) / (dark + 0.05);
  }
  const Strip &big = strips[0], &small = strips[1];
  EXPECT_GE(small.Weight, 0.9 * big.Weight) << "big " << big.Weight << ", small " << small.Weight;
  EXPECT_GE(small.Contrast, 0.9 * big.Contrast) << "big " << big.Contrast << ", small " << small.Contrast;

  const BmpImage& img = Load(small.Name);
  const int full = FullInk(img, 0, img.Height, PaleYellow, PaleYellow);
  int x0 = 0;
  for (size_t i = 0; i < small.Widths.size(); ++i) {
    const int w = small.Widths[i];
    int first = w, last = -1;  // columns with a pixel at least half covered
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < img.Height; ++y)
        if (img.At(x0 + x, y) != PaleYellow && Distance(img.At(x0 + x, y), PaleYellow) >= full / 2) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    EXPECT_EQ(first, 1) << "small glyph " << i << " leaves too much room on its left";
    EXPECT_EQ(last, w - 2) << "small glyph " << i << " leaves too much room on its right";
    x0 += w;
  }
}

// "Up" reads as a Latin p, not a Greek rho: the p's stem rises straight from its descender
// to the top of its bowl (to within the row by which a round bowl overshoots), in both
// states of the menu picture and of the key-name glyph.
TEST(Pictures, ThePOfUpHasAStemUpToTheTopOfItsBowl) {
  constexpr int Descender = 20;  // a row below the baseline, which only the p reaches
  for (const char* name : {"ID_UP", "ID_KEYSNUMBERS"}) {
    const BmpImage& img = Load(name);
    constexpr int x0 = 0, x1 = 33;  // "Up" is the key-name strip's first glyph
    for (int half = 0; half < 2; ++half) {
      SCOPED_TRACE(testing::Message() << name << " half " << half);
      const std::vector<bool> body = Body(img, x0, x1, half, 0.5);
      const auto ink = [&](int x, int y) { return body[static_cast<size_t>(y * (x1 - x0) + x)]; };
      std::vector<int> stem;
      for (int x = 0; x < x1 - x0; ++x)
        if (ink(x, Descender)) stem.push_back(x);
      ASSERT_FALSE(stem.empty());
      int top = Descender;
      for (int y = 0; y < Descender; ++y)
        for (int x = stem.front(); x < x1 - x0; ++x)
          if (ink(x, y)) top = std::min(top, y);
      for (int y = top + 1; y <= Descender; ++y)
        for (const int x : stem) EXPECT_TRUE(ink(x, y)) << "stem column " << x << " has a gap at row " << y;
    }
  }
}

TEST(Pictures, BothDigitStripsHaveTheSameShapesInDifferentColours) {
  const BmpImage& score = Load("ID_SCORELEVELDIGITS");
  const BmpImage& best = Load("ID_HIGHSCOREDIGITS");
  int differentShape = 0;
  for (size_t i = 0; i < score.Pixels.size(); ++i)
    differentShape += (score.Pixels[i] == White) != (best.Pixels[i] == White);
  EXPECT_EQ(differentShape, 0);
  const Mean a = InkMean(score, 0, 0, 129, 16, White), b = InkMean(best, 0, 0, 129, 16, White);
  EXPECT_GT(std::abs(a.R - b.R) + std::abs(a.B - b.B), 60);
  // Dark enough to read in the white boxes.
  for (const Mean& m : {a, b}) EXPECT_LT((m.R + m.G + m.B) / 3, 170);
}

TEST(Pictures, ThePlayScreenHasWhiteBoxesWhereTheNumbersAreDrawn) {
  const BmpImage& screen = Load("ID_GAMESCREEN");
  for (const int y : {100, 159, 218}) {
    for (int row = y - 5; row < y + 22; ++row)
      for (int x = 438; x < 574; ++x) ASSERT_EQ(screen.At(x, row), White) << "at " << x << "," << row;
    // Boxed in, with a readable label just above.
    EXPECT_NE(screen.At(506, y - 9), White);
    EXPECT_NE(screen.At(427, y + 8), White);
    EXPECT_NE(screen.At(585, y + 8), White);
    int label = 0;
    for (int row = y - 25; row < y - 9; ++row)
      for (int x = 440; x < 572; ++x) label += Luminance(screen.At(x, row)) > 0.4;
    EXPECT_GT(label, 40) << "label over the box at " << y;
  }
}

TEST(Pictures, MenuTextReadsClearlyOnThePlayScreenPanel) {
  // Menu rows and their values cover x 404 to 604, y 277 to 439: one flat panel colour,
  // which the menu pictures' edges are blended towards.
  const BmpImage& screen = Load("ID_GAMESCREEN");
  const uint32_t panel = screen.At(506, 300);
  for (int y = 277; y < 439; ++y)
    for (int x = 404; x < 604; ++x) ASSERT_EQ(screen.At(x, y), panel) << "at " << x << "," << y;
  const BmpImage& item = Load("ID_STARTGAME");
  for (int half = 0; half < 2; ++half) {
    uint32_t brightest = 0;
    for (int y = half * 26; y < half * 26 + 26; ++y)
      for (int x = 0; x < item.Width; ++x)
        if (item.At(x, y) != Orange && Luminance(item.At(x, y)) > Luminance(brightest)) brightest = item.At(x, y);
    EXPECT_GT(Contrast(brightest, panel), 7.0) << "half " << half;
  }
}

TEST(Pictures, FrameBarsLookTheSameDrawnPlainOrMirroredAndCutAnywhere) {
  // Bars are cut to 30 w + 10 or 30 h + 10 pixels, and the bottom and right bars are the
  // top and left ones mirrored: a 10-pixel pattern that is its own mirror image makes every
  // size meet cleanly at the corners.
  const BmpImage& h = Load("ID_FRAMEH");
  const BmpImage& v = Load("ID_FRAMEV");
  int unlikeMirrored = 0, unlikeAlong = 0, unlikeOther = 0;
  for (int x = 0; x < 310; ++x)
    for (int y = 0; y < 10; ++y) {
      unlikeMirrored += Distance(h.At(x, y), h.At(x, 9 - y)) > 1;
      unlikeAlong += x + 10 < 310 && h.At(x, y) != h.At(x + 10, y);
      unlikeOther += Distance(h.At(x, y), v.At(y, x)) > 1;
    }
  for (int y = 0; y < 430; ++y)
    for (int x = 0; x < 10; ++x) {
      unlikeMirrored += Distance(v.At(x, y), v.At(9 - x, y)) > 1;
      unlikeAlong += y + 10 < 430 && v.At(x, y) != v.At(x, y + 10);
    }
  EXPECT_EQ(unlikeMirrored, 0) << "bars differ from their mirror images";
  EXPECT_EQ(unlikeAlong, 0) << "bars do not repeat every 10 pixels";
  EXPECT_EQ(unlikeOther, 0) << "the two bars differ";
  EXPECT_GT(InkCount(h, 0, 0, 310, 10, Orange), 310 * 10 * 3 / 4);
}

TEST(Pictures, TheGameOverSignIsARedProhibitionSignWithAClearMiddle) {
  const BmpImage& sign = Load("ID_GAMEOVER");
  for (const auto& [x, y] : {std::pair{0, 0}, {100, 0}, {0, 100}, {100, 100}, {70, 30}, {30, 70}})
    EXPECT_EQ(sign.At(x, y), DarkRed) << "at " << x << "," << y;
  const auto red = [](uint32_t p) { return R(p) > 180 && G(p) < 100 && B(p) < 100; };
  EXPECT_TRUE(red(sign.At(50, 50))) << "the bar crosses the middle";
  EXPECT_TRUE(red(sign.At(50, 8))) << "the ring";
  EXPECT_TRUE(red(sign.At(92, 50))) << "the ring";
  // Edges facing the transparent parts are the light rim, never a blend with the key.
  for (int y = 0; y < 101; ++y)
    for (int x = 0; x < 101; ++x) {
      const uint32_t p = sign.At(x, y);
      if (p == DarkRed) continue;
      const bool edge = (x > 0 && sign.At(x - 1, y) == DarkRed) || (x < 100 && sign.At(x + 1, y) == DarkRed) ||
                        (y > 0 && sign.At(x, y - 1) == DarkRed) || (y < 100 && sign.At(x, y + 1) == DarkRed);
      if (edge) {
        EXPECT_GT(std::min({R(p), G(p), B(p)}), 170) << "at " << x << "," << y;
      }
    }
}

TEST(Pictures, HeadingsKeepTheirTextInsideAndOverTheTableColumns) {
  for (const char* name : {"ID_CONGRATULATIONS", "ID_HIGHSCORE", "ID_PLAYERSCORE"}) {
    const BmpImage& img = Load(name);
    EXPECT_EQ(InkCount(img, 0, 0, img.Width, 1, PaleYellow), 0) << name;
    EXPECT_EQ(InkCount(img, 0, img.Height - 1, img.Width, img.Height, PaleYellow), 0) << name;
    EXPECT_EQ(InkCount(img, 0, 0, 1, img.Height, PaleYellow), 0) << name;
    EXPECT_EQ(InkCount(img, img.Width - 1, 0, img.Width, img.Height, PaleYellow), 0) << name;
    EXPECT_GT(InkCount(img, 0, 0, img.Width, img.Height, PaleYellow), img.Width * img.Height / 10) << name;
  }
  // The column heads are drawn at x 68 above names centred on x 120 and scores on x 267.
  const BmpImage& heads = Load("ID_PLAYERSCORE");
  EXPECT_GT(InkCount(heads, 120 - 68 - 10, 0, 120 - 68 + 10, 28, PaleYellow), 20);
  EXPECT_GT(InkCount(heads, 267 - 68 - 10, 0, 267 - 68 + 10, 28, PaleYellow), 20);
  EXPECT_EQ(InkCount(heads, 120, 0, 150, 28, PaleYellow), 0);
}

TEST(Pictures, TheTitleIsTheLogoInTheGameColoursOnBlack) {
  const BmpImage& title = Load("ID_TITLESCREEN");
  int dark = 0;
  for (uint32_t p : title.Pixels) dark += Luminance(p) < 0.02;
  EXPECT_GT(dark, static_cast<int>(title.Pixels.size()) / 2);
  // Across the logo: red, yellow, green, cyan, blue and magenta letters.
  std::array<int, 6> hues{};
  for (int y = 200; y < 250; ++y)
    for (int x = 0; x < 632; ++x) {
      const uint32_t p = title.At(x, y);
      const int hi = std::max({R(p), G(p), B(p)}), lo = std::min({R(p), G(p), B(p)});
      if (hi < 150 || hi - lo < 100) continue;
      const bool r = R(p) > lo + 70, g = G(p) > lo + 70, b = B(p) > lo + 70;
      const int index = r && g ? 1 : g && b ? 3 : r && b ? 5 : r ? 0 : g ? 2 : 4;
      ++hues[static_cast<size_t>(index)];
    }
  for (size_t i = 0; i < hues.size(); ++i) EXPECT_GT(hues[i], 100) << "hue " << i;
}

TEST(Pictures, RedrawingGivesTheSameBytes) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("huebloc-pictures-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string command = std::string("\"") + HUEBLOC_PICTURE_GENERATOR + "\" --font \"" +
                              HUEBLOC_PICTURE_FONT + "\" --out \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const Expected& e : Pictures())
    EXPECT_TRUE(ReadBytes(PathOf(dir.string(), e.Name)) == ReadBytes(PathOf(HUEBLOC_PICTURES_DIR, e.Name)))
        << e.Name;
  std::filesystem::remove_all(dir);
}

}  // namespace
