#include "PictureSet.h"

#include <stdexcept>
#include <string>

#include "GlyphTables.h"
#include "Palette.h"
#include "Pictures.h"

namespace picgen {

namespace {

PictureEntry Tile(std::string_view name, int value, bool marked = false) {
  // Tiles are created with the key but always drawn opaque.
  return {name, 30, 30, KeyPaleYellow, Layout::Whole,
          [value, marked](const Typeface&) { return MakeAreaTile(value, marked); }, false};
}

PictureEntry Piece(std::string_view name, int colour, bool marked = false) {
  return {name, 30, 30, KeyPaleYellow, Layout::Whole,
          [colour, marked](const Typeface&) { return MakePiece(colour, marked); }};
}

PictureEntry EmptyCell(std::string_view name) {
  return {name, 30, 30, std::nullopt, Layout::Whole, [](const Typeface&) { return MakeEmptyCell(); }};
}

PictureEntry Menu(std::string_view name, std::string_view text, int width) {
  return {name, width, 52, KeyOrange, Layout::TwoState,
          [text, width](const Typeface& f) { return MakeMenuPicture(f, text, width); }};
}

std::vector<PictureEntry> BuildList() {
  return {
      Tile("ID_ABLACK", 1),
      Tile("ID_ARED", 2),
      Tile("ID_AGREEN", 3),
      Tile("ID_AREDGREEN", 5),
      Tile("ID_ABLUE", 4),
      Tile("ID_AREDBLUE", 6),
      Tile("ID_AGREENBLUE", 7),
      Tile("ID_AREDGREENBLUE", 8),
      Piece("ID_BLACK", 0),
      Piece("ID_RED", 1),
      Piece("ID_GREEN", 2),
      Piece("ID_REDGREEN", 3),
      Piece("ID_BLUE", 4),
      Piece("ID_REDBLUE", 5),
      Piece("ID_GREENBLUE", 6),
      Piece("ID_REDGREENBLUE", 7),
      EmptyCell("ID_GAMEPLAYAREA"),
      {"ID_GAMESCREEN", 632, 453, std::nullopt, Layout::Whole, MakeGameScreen},
      {"ID_SCORELEVELDIGITS", 129, 16, KeyWhite, Layout::DigitStrip,
       [](const Typeface& f) { return MakeDigitStrip(f, false); }},
      {"ID_HIGHSCOREDIGITS", 129, 16, KeyWhite, Layout::DigitStrip,
       [](const Typeface& f) { return MakeDigitStrip(f, true); }},
      {"ID_FRAMEH", 310, 10, KeyOrange, Layout::Whole, [](const Typeface&) { return MakeFrameBar(false); }},
      {"ID_FRAMEV", 10, 430, KeyOrange, Layout::Whole, [](const Typeface&) { return MakeFrameBar(true); }},
      Menu("ID_RESUMEGAME", "Resume Game", 159),
      Menu("ID_RESTARTGAME", "Restart Game", 166),
      Menu("ID_GAMESETUP", "Game Setup", 136),
      Menu("ID_EXIT", "Exit", 50),
      Menu("ID_STARTGAME", "Start Game", 137),
      Menu("ID_PLAYSETUP", "Play Setup", 129),
      Menu("ID_EXITGAME", "Exit Game", 119),
      Menu("ID_LEVEL", "Level", 67),
      Menu("ID_MODE", "Mode", 66),
      Menu("ID_STANDARD", "Std", 42),
      Menu("ID_ADVANCED", "Adv", 50),
      Menu("ID_HEIGHT", "Height", 78),
      Menu("ID_WIDTH", "Width", 74),
      Menu("ID_KEYS", "Keys", 57),
      Menu("ID_SOUND", "Sound", 74),
      Menu("ID_MUSIC", "Music", 70),
      Menu("ID_OFF", "Off", 43),
      Menu("ID_LEFT", "Left", 51),
      Menu("ID_RIGHT", "Right", 66),
      Menu("ID_UP", "Up", 33),
      {"ID_KEYSNUMBERS", 1269, 52, KeyOrange, Layout::KeyStrip, MakeKeyStrip},
      {"ID_GAMEOVER", 101, 101, KeyDarkRed, Layout::Whole, [](const Typeface&) { return MakeGameOver(); }},
      {"ID_CONGRATULATIONS", 283, 110, KeyPaleYellow, Layout::Whole, MakeCongratulations},
      {"ID_HIGHSCORE", 228, 35, KeyPaleYellow, Layout::Whole, MakeHighScoreHeading},
      {"ID_PLAYERSCORE", 244, 28, KeyPaleYellow, Layout::Whole, MakePlayerScoreHeads},
      {"ID_HIGHSCORECHARS", 434, 15, KeyPaleYellow, Layout::SmallChars,
       [](const Typeface& f) { return MakeCharStrip(f, false); }},
      {"ID_SCORECHARS", 835, 32, KeyPaleYellow, Layout::BigChars,
       [](const Typeface& f) { return MakeCharStrip(f, true); }},
      {"ID_TITLESCREEN", 632, 453, std::nullopt, Layout::Whole, MakeTitleScreen},
      // With colour marks on, the same cells carry the marks of their colours. A plain cell
      // admits every bubble, so it carries none.
      EmptyCell("ID_MARKEDGAMEPLAYAREA"),
      Tile("ID_MARKEDABLACK", 1, true),
      Tile("ID_MARKEDARED", 2, true),
      Tile("ID_MARKEDAGREEN", 3, true),
      Tile("ID_MARKEDABLUE", 4, true),
      Tile("ID_MARKEDAREDGREEN", 5, true),
      Tile("ID_MARKEDAREDBLUE", 6, true),
      Tile("ID_MARKEDAGREENBLUE", 7, true),
      Tile("ID_MARKEDAREDGREENBLUE", 8, true),
      Piece("ID_MARKEDBLACK", 0, true),
      Piece("ID_MARKEDRED", 1, true),
      Piece("ID_MARKEDGREEN", 2, true),
      Piece("ID_MARKEDREDGREEN", 3, true),
      Piece("ID_MARKEDBLUE", 4, true),
      Piece("ID_MARKEDREDBLUE", 5, true),
      Piece("ID_MARKEDGREENBLUE", 6, true),
      Piece("ID_MARKEDREDGREENBLUE", 7, true),
  };
}

}  // namespace

const std::vector<PictureEntry>& PictureList() {
  static const std::vector<PictureEntry> list = BuildList();
  return list;
}

const PictureEntry& FindPicture(std::string_view name) {
  for (const PictureEntry& e : PictureList())
    if (e.Name == name) return e;
  throw std::out_of_range("no picture " + std::string(name));
}

std::vector<int> StripWidths(Layout cut) {
  switch (cut) {
    case Layout::KeyStrip: {
      std::vector<int> w;
      for (const StripGlyph& g : KeyGlyphs) w.push_back(g.Width);
      return w;
    }
    case Layout::DigitStrip: return {DigitWidths.begin(), DigitWidths.end()};
    case Layout::BigChars: return {BigCharWidths.begin(), BigCharWidths.end()};
    case Layout::SmallChars: return {SmallCharWidths.begin(), SmallCharWidths.end()};
    default: return {};
  }
}

}  // namespace picgen
