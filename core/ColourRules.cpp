#include "core/ColourRules.h"

#include <algorithm>
#include <bit>

namespace {

// Components of the coloured A-tiles, by tile value. The tile order (blue = 4, red+green = 5)
// follows the number of components, not the bubble's bit order.
constexpr uint8_t TileComponents[9] = {
    0,                                              // plain
    0,                                              // A-black
    ComponentRed,                                   // A-red
    ComponentGreen,                                 // A-green
    ComponentBlue,                                  // A-blue
    ComponentRed | ComponentGreen,                  // A-red+green
    ComponentRed | ComponentBlue,                   // A-red+blue
    ComponentGreen | ComponentBlue,                 // A-green+blue
    ComponentRed | ComponentGreen | ComponentBlue,  // A-red+green+blue
};

bool InsideArrays(int column, int row) {
  return column >= 0 && column < MaxAreaWidth && row >= 0 && row < MaxAreaHeight;
}

// The arrays hold 10 columns whatever the game's width; never walk past them.
int UsableWidth(uint16_t width) { return std::min<int>(width, MaxAreaWidth); }

}  // namespace

bool CanRestOn(uint8_t colour, uint8_t tile) {
  colour &= 7;
  if (tile == 0) return true;
  if (tile == 1) return colour == 0;
  if (tile > 8) return false;
  // An A-tile takes a bubble that carries every component of the tile.
  const uint8_t needed = TileComponents[tile];
  return colour != 0 && (colour & needed) == needed;
}

TRowState RowState(const TSettings& settings, int16_t row, uint16_t width) {
  if (row < 0 || row >= MaxAreaHeight) return RowNotFull;
  const int columns = UsableWidth(width);
  if (columns == 0) return RowNotFull;
  bool coloured = false;
  for (int c = 0; c < columns; ++c) {
    const TBubble* bubble = settings.Bubbles[c][row].get();
    if (bubble == nullptr) return RowNotFull;
    if (bubble->GetColour() != 0) coloured = true;
  }
  return coloured ? RowMixed : RowAllBlack;
}

void ResolveBubble(TSettings& settings, int16_t column, int16_t row, uint16_t width) {
  settings.FullRowAbove = -1;
  if (!InsideArrays(column, row)) return;
  TBubble* resting = settings.Bubbles[column][row].get();
  if (resting == nullptr) return;
  const int columns = UsableWidth(width);

  // The bubble above is a neighbour only when its whole row is full and not all black.
  if (row > 0 && RowState(settings, static_cast<int16_t>(row - 1), width) == RowMixed)
    settings.FullRowAbove = static_cast<int16_t>(row - 1);

  TBubble* above = settings.FullRowAbove >= 0 ? settings.Bubbles[column][row - 1].get() : nullptr;
  TBubble* left = column > 0 ? settings.Bubbles[column - 1][row].get() : nullptr;
  TBubble* right = column < columns - 1 ? settings.Bubbles[column + 1][row].get() : nullptr;

  for (const uint8_t component : {ComponentRed, ComponentGreen, ComponentBlue}) {
    if (!resting->HasComponents(component)) continue;
    // One component of the resting bubble cancels it in every neighbour that shares it.
    bool shared = false;
    for (TBubble* neighbour : {above, left, right}) {
      if (neighbour != nullptr && neighbour->HasComponents(component)) {
        neighbour->RemoveComponents(component);
        shared = true;
      }
    }
    if (shared) resting->RemoveComponents(component);
  }
}

uint8_t ComponentCount(uint8_t colour) { return static_cast<uint8_t>(std::popcount(static_cast<unsigned>(colour & 7))); }

ScanResult ScanUpward(const TSettings& settings, int16_t column, int16_t row, uint8_t colour) {
  if (column < 0 || column >= MaxAreaWidth) return ScanResult::Blocked;
  // A scan that starts below the arrays looks at the cells they have.
  for (int r = std::min<int>(row - 1, MaxAreaHeight - 1); r >= 0; --r) {
    if (settings.Bubbles[column][r] != nullptr) return ScanResult::Blocked;
    // A cell without a tile counts as a plain cell.
    const TArea* tile = settings.Areas[column][r].get();
    if (CanRestOn(colour, tile != nullptr ? tile->GetValue() : 0)) return ScanResult::Found;
  }
  return ScanResult::Blocked;
}

int16_t NearestRestingColumn(const TSettings& settings, int16_t from, int step, int16_t row, uint8_t colour,
                             uint16_t width) {
  const int columns = std::min<int>(width, MaxAreaWidth);
  const auto below = static_cast<int16_t>(row + 1);
  for (int c = from + step; c >= 0 && c < columns; c += step)
    if (ScanUpward(settings, static_cast<int16_t>(c), below, colour) == ScanResult::Found) return static_cast<int16_t>(c);
  return -1;
}
