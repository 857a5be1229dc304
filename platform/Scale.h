// The whole-number scales at which the window shows the game's 632 x 453 picture: each picture
// pixel becomes scale x scale screen pixels, so the picture stays crisp at any size.
#pragma once
#include <algorithm>
#include <optional>

namespace platform {

constexpr int PictureWidth = 632;
constexpr int PictureHeight = 453;
// Scales a player may ask for; 16 already covers a picture of over 10000 pixels across.
constexpr int MaxScale = 16;

// What a window manager's decorations take around the client area.
struct Borders {
  int Top = 0, Left = 0, Bottom = 0, Right = 0;
};
// The largest scale at which the picture fits into width x height; 1 when even that does not.
constexpr int LargestScale(int width, int height) {
  return std::clamp(std::min(width / PictureWidth, height / PictureHeight), 1, MaxScale);
}

// The scale of a window on a display whose usable area (panels left out) is usableWidth x
// usableHeight: wanted when the window fits there at that scale, decorations included, else the
// largest that fits, as for nothing wanted or a scale outside 1..MaxScale (a hand-edited store).
// Decorations the window manager does not tell (none known yet) are a title bar and thin edges.
constexpr int WindowScale(int usableWidth, int usableHeight, std::optional<Borders> borders,
                          std::optional<int> wanted) {
  const Borders b = borders.value_or(Borders{32, 4, 4, 4});
  const int fitting = LargestScale(usableWidth - b.Left - b.Right, usableHeight - b.Top - b.Bottom);
  if (!wanted || *wanted < 1 || *wanted > MaxScale) return fitting;
  return std::min(*wanted, fitting);
}

}  // namespace platform
