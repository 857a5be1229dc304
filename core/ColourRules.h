// The colour rules everything else is built from: where a bubble may rest, when a row is
// full, and how a resting bubble cancels the components it shares with its neighbours.
#pragma once
#include <cstdint>

#include "core/Area.h"

// Whether a bubble of this colour (bit set) may come to rest on this tile (value 0..8).
bool CanRestOn(uint8_t colour, uint8_t tile);

// Whether a row is full, and of what.
enum TRowState : int {
  RowNotFull = 0,   // an empty cell somewhere
  RowAllBlack = 1,  // full of black bubbles: it is removed
  RowMixed = 2,     // full, some bubble still coloured
};
TRowState RowState(const TSettings& settings, int16_t row, uint16_t width);

// A bubble has come to rest at (column, row): each of its components cancels that component
// in the left and right neighbours, and in the bubble above when that row is full and mixed.
void ResolveBubble(TSettings& settings, int16_t column, int16_t row, uint16_t width);

// Number of components (0..3) of a colour.
uint8_t ComponentCount(uint8_t colour);

// The upward scan from (column, row) for a bubble of a colour: rows row-1, row-2, ... are looked
// at in turn; Blocked at the first bubble met or once row 0 has been passed, Found at the
// first tile that accepts the colour.
enum class ScanResult { Blocked, Found };
ScanResult ScanUpward(const TSettings& settings, int16_t column, int16_t row, uint8_t colour);

// The nearest column beside `from`, walking `step` (+1 right, -1 left) up to the edge of an
// area `width` wide, whose upward scan from just below `row` is Found: a sideways move there
// has somewhere to rest. Columns whose cell in `row` is taken are passed over. -1 when none.
int16_t NearestRestingColumn(const TSettings& settings, int16_t from, int step, int16_t row, uint8_t colour,
                             uint16_t width);
