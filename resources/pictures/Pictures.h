// Makers of every picture of the game, grouped by the file that paints them.
#pragma once
#include <string_view>

#include "Canvas.h"
#include "Typeface.h"

namespace picgen {

// Cells.cpp: play-area cells, pieces and frame bars.
Picture MakeEmptyCell();
// Tiles and pieces come plain or with the colour marks of their components (Marks.h).
Picture MakeAreaTile(int value, bool marked);  // 1..8: A-black, A-red, A-green, A-blue, A-red+green, ...
Picture MakePiece(int colour, bool marked);    // 0..7, red 1, green 2, blue 4
Picture MakeFrameBar(bool vertical);
// The colour (red 1, green 2, blue 4) of an area-tile value 1..8.
int AreaTileColour(int value);

// Menus.cpp: two-state menu pictures and the key-name strip.
Picture MakeMenuPicture(const Typeface& face, std::string_view text, int width);
Picture MakeKeyStrip(const Typeface& face);

// Strips.cpp: the digit and character strips.
Picture MakeDigitStrip(const Typeface& face, bool bestScore);
Picture MakeCharStrip(const Typeface& face, bool big);

// Headings.cpp: pictures drawn over the empty play area, and the game-over sign.
Picture MakeCongratulations(const Typeface& face);
Picture MakeHighScoreHeading(const Typeface& face);
Picture MakePlayerScoreHeads(const Typeface& face);
Picture MakeGameOver();

// Screens.cpp: the two full-window pictures.
Picture MakeTitleScreen(const Typeface& face);
Picture MakeGameScreen(const Typeface& face);

}  // namespace picgen
