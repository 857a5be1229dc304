// Colour marks: one small mark per colour component, each with a shape and a place of its
// own (red a triangle at the top, green a circle at the lower left, blue a square at the
// lower right), so the components of a bubble and those a tile admits read without hue.
#pragma once
#include "Canvas.h"

namespace picgen {

// The marks of a bubble colour (red 1, green 2, blue 4) over a painted bubble; black has none.
void PaintPieceMarks(Canvas& canvas, int colour);
// The marks of the colour a tile admits, in the cell's corners that a resting bubble leaves
// uncovered; black, which has no component, is marked with a dash of its own.
void PaintTileMarks(Canvas& canvas, int colour);

}  // namespace picgen
