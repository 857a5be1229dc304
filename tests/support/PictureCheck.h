// Comparison of a composed back buffer with the game's own pictures, decoded from the
// program's resources: how many pixels of a picture's part (its key colour left out) differ
// where the part is drawn.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "render/SurfaceSet.h"

// A rectangle of a picture; right and bottom exclusive.
struct TPicturePart {
  int Left, Top, Right, Bottom;
};

// The picture of an entry of the surface set.
inline const platform::Surface& Picture(TSurfaceIndex index) {
  static std::vector<std::unique_ptr<platform::Surface>> cache(SurfaceCount);
  if (!cache[index]) cache[index] = platform::LoadSurfaceResource(PictureEntries[index].ResourceName);
  return *cache[index];
}

inline int Mismatches(const platform::Surface& back, TSurfaceIndex index, TPicturePart part, int x, int y,
                      bool mirrorLeftRight = false, bool mirrorUpDown = false) {
  const platform::Surface& p = Picture(index);
  const TPictureEntry& e = PictureEntries[index];
  int wrong = 0;
  const int w = part.Right - part.Left, h = part.Bottom - part.Top;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int sx = part.Left + (mirrorLeftRight ? w - 1 - i : i);
      const int sy = part.Top + (mirrorUpDown ? h - 1 - j : j);
      const uint32_t colour = p.Row(sy)[static_cast<std::size_t>(sx)];
      if (e.Keyed && colour == e.ColourKey) continue;
      if (back.Row(y + j)[static_cast<std::size_t>(x + i)] != colour) ++wrong;
    }
  return wrong;
}

// The whole picture, or one half of a two-state picture, drawn at (x, y).
inline int WholeMismatches(const platform::Surface& back, TSurfaceIndex index, int x, int y) {
  const platform::Surface& p = Picture(index);
  return Mismatches(back, index, {0, 0, p.Width(), p.Height()}, x, y);
}
inline int HalfMismatches(const platform::Surface& back, TSurfaceIndex index, int x, int y, bool selected) {
  const platform::Surface& p = Picture(index);
  const int half = p.Height() / 2;
  return Mismatches(back, index, {0, selected ? 0 : half, p.Width(), selected ? half : p.Height()}, x, y);
}
