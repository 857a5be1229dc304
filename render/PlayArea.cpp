#include "render/PlayArea.h"

#include <algorithm>

using platform::Rect;

void TSurface::DrawCell(int column, int row, int areaWidth, int areaHeight, bool keyed) {
  const int left = AreaLeft(areaWidth) + CellSide * column;
  const int top = AreaTop(areaHeight) + CellSide * row;
  Blit({left, top, left + CellSide, top + CellSide}, nullptr, keyed ? platform::DDBLT_KEYSRC : 0);
}

// Each bar is one side of the area plus the frame's thickness long, so the four meet in a
// pinwheel: top bar over the top-right corner, right bar over the bottom-right, and so on.
void TSurface::DrawFrame(int areaWidth, int areaHeight, bool vertical) {
  const int left = AreaLeft(areaWidth), top = AreaTop(areaHeight);
  const int right = left + CellSide * areaWidth, bottom = top + CellSide * areaHeight;
  const uint32_t flags = KeyFlag();
  if (vertical) {
    const Rect part{0, 0, FrameThickness, CellSide * areaHeight + FrameThickness};
    Blit({left - FrameThickness, top - FrameThickness, left, bottom}, &part, flags);
    Blit({right, top, right + FrameThickness, bottom + FrameThickness}, &part, flags | platform::DDBLT_DDFX,
         platform::DDBLTFX_MIRRORLEFTRIGHT);
  } else {
    const Rect part{0, 0, CellSide * areaWidth + FrameThickness, FrameThickness};
    Blit({left, top - FrameThickness, right + FrameThickness, top}, &part, flags);
    Blit({left - FrameThickness, bottom, right, bottom + FrameThickness}, &part, flags | platform::DDBLT_DDFX,
         platform::DDBLTFX_MIRRORUPDOWN);
  }
}

namespace {

// A size read from outside the game's rules (a game never started) is drawn clamped, so the
// grids are never read beyond their bounds.
int ClampWidth(int width) { return std::clamp(width, MinAreaWidth, MaxAreaWidth); }
int ClampHeight(int height) { return std::clamp(height, MinAreaHeight, MaxAreaHeight); }

}  // namespace

void DrawPlayArea(TSurfaceSet& surfaces, const TSettings& settings, int width, int height, bool withAreas,
                  bool marks) {
  width = ClampWidth(width);
  height = ClampHeight(height);
  surfaces[SurfaceFrameH].DrawFrame(width, height, false);
  surfaces[SurfaceFrameV].DrawFrame(width, height, true);
  const auto tiles = marks ? surfaces.MarkedAreaTileSurfaces() : surfaces.AreaTileSurfaces();
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) {
      // A cell without a tile, or with a value no tile has, shows the empty cell.
      const TArea* area = withAreas ? settings.Areas[c][r].get() : nullptr;
      const uint8_t value = area != nullptr && area->GetValue() < tiles.size() ? area->GetValue() : 0;
      tiles[value]->DrawCell(c, r, width, height, false);
    }
}

void DrawGame(TSurfaceSet& surfaces, const TGame& game, bool marks) {
  const TSettings& settings = game.Settings;
  const int width = ClampWidth(game.AreaWidth), height = ClampHeight(game.AreaHeight);
  DrawPlayArea(surfaces, settings, width, height, true, marks);
  const auto pieces = marks ? surfaces.MarkedPieceSurfaces() : surfaces.PieceSurfaces();
  for (int c = 0; c < width; ++c)
    for (int r = 0; r < height; ++r)
      if (const TBubble* bubble = settings.Bubbles[c][r].get())
        pieces[bubble->GetColour()]->DrawCell(c, r, width, height, true);
}
