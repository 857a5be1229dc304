// The play area on the back buffer: a grid of 30 x 30 cells centred in the box of the
// largest area (10 x 14 cells from x 40, y 17), inside a 10-pixel frame.
#pragma once
#include "core/Game.h"
#include "render/SurfaceSet.h"

constexpr int CellSide = 30;
constexpr int FrameThickness = 10;

// Left and top edge of an area of that many columns or rows; odd sizes still land on whole
// pixels, in steps of 15.
constexpr int AreaLeft(int width) { return 40 + 15 * (MaxAreaWidth - width); }
constexpr int AreaTop(int height) { return 17 + 15 * (MaxAreaHeight - height); }

// The frame and one cell per place: the empty cell everywhere, or each cell's area tile,
// with colour marks when marks is set.
void DrawPlayArea(TSurfaceSet& surfaces, const TSettings& settings, int width, int height, bool withAreas,
                  bool marks = false);
// The current game: its area with the tiles, and the bubbles over them; the cells with colour
// marks when marks is set.
void DrawGame(TSurfaceSet& surfaces, const TGame& game, bool marks = false);
