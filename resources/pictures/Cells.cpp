#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "Marks.h"
#include "Palette.h"
#include "Pictures.h"
#include "Shapes.h"

namespace picgen {

namespace {

constexpr int CellSize = 30;
constexpr float CellCentre = 15.0f;
constexpr float HoleRadius = 9.5f;
constexpr float PieceRadius = 13.6f;
constexpr float DimpleRadius = 11.0f;

// Every cell is a slightly raised square: a light edge at the top left, a shaded one at the
// bottom right, so the grid reads without lines of its own.
void PaintCellBevel(Canvas& c, Colour ground) {
  for (int i = 0; i < CellSize; ++i) {
    c.Blend(i, 0, Lighten(ground, 0.5f), 0.8f);
    c.Blend(0, i, Lighten(ground, 0.5f), 0.8f);
    c.Blend(i, CellSize - 1, Scale(ground, 0.9f), 1.0f);
    c.Blend(CellSize - 1, i, Scale(ground, 0.9f), 1.0f);
  }
}

// A shallow round dimple: shaded on its upper-left inner wall, lit on its lower-right one.
void PaintHole(Canvas& c, Colour floor, float radius) {
  c.Paint(0, 0, CellSize, CellSize, [&](float x, float y) -> std::optional<Rgba> {
    const float dx = x - CellCentre, dy = y - CellCentre;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d > radius) return std::nullopt;
    const float wall = SmoothStep(radius - 3.0f, radius, d);
    const float facing = (dx * 0.6f + dy * 0.8f) / std::max(d, 0.001f);  // +1 at the lower right
    Colour col = floor;
    col = facing < 0 ? Mix(col, Scale(floor, 0.86f), wall * -facing)
                     : Mix(col, Lighten(floor, 0.55f), wall * facing * 0.9f);
    return Rgba{col, 1.0f};
  });
}

Canvas PaintedPiece(int colour) {
  Canvas c(CellSize, CellSize);
  PaintBubble(c, CellCentre, CellCentre, PieceRadius, palette::Bubble[colour]);
  return c;
}

// The pixels a piece leaves transparent. Every piece has the same outline, so one colour
// stands for all.
std::vector<bool> PieceClear() {
  const Canvas piece = PaintedPiece(0);
  std::vector<bool> clear(CellSize * CellSize);
  for (int y = 0; y < CellSize; ++y)
    for (int x = 0; x < CellSize; ++x) clear[static_cast<size_t>(y * CellSize + x)] = piece.At(x, y).a < KeyCoverage;
  return clear;
}

// The pixels where a piece's edge is blended into the ground: partly covered ones, and any
// next to a transparent one.
std::vector<bool> PieceEdge() {
  const Canvas piece = PaintedPiece(0);
  const std::vector<bool> clearPixels = PieceClear();
  const auto clear = [&](int x, int y) {
    return x < 0 || y < 0 || x >= CellSize || y >= CellSize || clearPixels[static_cast<size_t>(y * CellSize + x)];
  };
  std::vector<bool> edge(CellSize * CellSize);
  for (int y = 0; y < CellSize; ++y)
    for (int x = 0; x < CellSize; ++x) {
      if (clear(x, y)) continue;
      bool nextToClear = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) nextToClear = nextToClear || clear(x + dx, y + dy);
      edge[static_cast<size_t>(y * CellSize + x)] = nextToClear || piece.At(x, y).a < 0.999f;
    }
  return edge;
}

}  // namespace

int AreaTileColour(int value) {
  static constexpr int Colours[9] = {-1, 0, 1, 2, 4, 3, 5, 6, 7};
  if (value < 1 || value > 8) throw std::out_of_range("area tile value");
  return Colours[value];
}

Picture MakeEmptyCell() {
  Canvas c(CellSize, CellSize);
  c.Fill(palette::Ground);
  PaintCellBevel(c, palette::Ground);
  PaintHole(c, Scale(palette::Ground, 0.965f), HoleRadius);
  return FlattenOpaque(c);
}

Picture MakeAreaTile(int value, bool marked) {
  const Colour vivid = palette::Bubble[AreaTileColour(value)];
  const Colour faded = Mix(vivid, palette::White, value == 8 ? 0.0f : 0.5f);
  Canvas c(CellSize, CellSize);
  c.Fill(palette::Ground);
  PaintCellBevel(c, palette::Ground);
  // A flat faded plate filling the cell, so it shows at the corners around a piece.
  const float x0 = 1.5f, x1 = CellSize - 1.5f, radius = 3.0f;
  const Colour edge = Scale(faded, value == 8 ? 0.74f : 0.8f);
  c.Paint(0, 0, CellSize, CellSize, [&](float x, float y) -> std::optional<Rgba> {
    const float d = RoundBoxDistance(x, y, x0, x0, x1, x1, radius);
    if (d > 0) return std::nullopt;
    return Rgba{d > -1.0f ? edge : faded, 1.0f};
  });
  // A thin ring of plain ground where a piece's edge falls: pieces blend their edges into
  // the ground, so they sit on any tile without a fringe.
  c.Paint(0, 0, CellSize, CellSize, [](float x, float y) -> std::optional<Rgba> {
    const float d = std::hypot(x - CellCentre, y - CellCentre);
    if (d < PieceRadius - 1.6f || d > PieceRadius + 1.0f) return std::nullopt;
    return Rgba{palette::Ground, 1.0f};
  });
  const std::vector<bool> ring = PieceEdge();
  for (int y = 0; y < CellSize; ++y)
    for (int x = 0; x < CellSize; ++x)
      if (ring[static_cast<size_t>(y * CellSize + x)]) c.At(x, y) = {palette::Ground, 1.0f};
  PaintHole(c, Scale(faded, 0.95f), DimpleRadius);
  if (marked) {
    // Marks lie only where a resting bubble leaves the tile uncovered.
    Canvas marks(CellSize, CellSize);
    PaintTileMarks(marks, AreaTileColour(value));
    const std::vector<bool> clear = PieceClear();
    for (int y = 0; y < CellSize; ++y)
      for (int x = 0; x < CellSize; ++x)
        if (clear[static_cast<size_t>(y * CellSize + x)]) c.Blend(x, y, marks.At(x, y).c, marks.At(x, y).a);
  }
  return FlattenOpaque(c);
}

Picture MakePiece(int colour, bool marked) {
  if (colour < 0 || colour >= palette::ColourCount) throw std::out_of_range("piece colour");
  Canvas c = PaintedPiece(colour);
  if (marked) PaintPieceMarks(c, colour);
  // The edge blends into the empty cell's ground, which is what lies under most pieces.
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

Picture MakeFrameBar(bool vertical) {
  // A chain of 10-pixel beads. Every bar length is a whole number of beads and each bead
  // is symmetric, so bars cut to any play-area size and drawn mirrored meet cleanly.
  const int length = vertical ? 430 : 310;
  Canvas c(vertical ? 10 : length, vertical ? length : 10);
  const Colour base = palette::FrameBead;
  for (int bead = 0; bead < length / 10; ++bead) {
    const float along0 = static_cast<float>(bead * 10);
    c.Paint(vertical ? 0 : bead * 10, vertical ? bead * 10 : 0, vertical ? 10 : bead * 10 + 10,
            vertical ? bead * 10 + 10 : 10, [&](float x, float y) -> std::optional<Rgba> {
              const float along = (vertical ? y : x) - along0, across = vertical ? x : y;
              const float d = RoundBoxDistance(along, across, 0.25f, 0.0f, 9.75f, 10.0f, 3.2f);
              if (d > 0) return std::nullopt;
              const float u = (along - 5.0f) / 5.0f, v = (across - 5.0f) / 5.0f;
              const float bulge = std::sqrt(std::max(0.0f, 1.0f - 0.55f * (u * u + v * v)));
              Colour col = Mix(Scale(base, 0.45f), Lighten(base, 0.2f), bulge * bulge);
              const float shine = 1.0f - SmoothStep(0.0f, 0.5f, std::sqrt(u * u * 0.8f + v * v));
              col = Mix(col, {235, 235, 255}, 0.6f * shine);
              if (d > -0.8f) col = Mix(col, Scale(base, 0.35f), 0.6f);
              return Rgba{col, 1.0f};
            });
  }
  // Uncovered bits between beads show the dark well around the play area.
  return Flatten(c, KeyOrange, palette::Well);
}

}  // namespace picgen
