#include "Icon.h"

#include <cmath>

#include "Palette.h"
#include "Shapes.h"

namespace picgen {

Canvas MakeIcon(int size) {
  Canvas c(size, size);
  const float u = static_cast<float>(size) / 48.0f;  // drawn on a 48-pixel grid, scaled
  // A soft shadow the cluster rests on.
  c.Paint(0, 0, size, size, [&](float x, float y) -> std::optional<Rgba> {
    const float dx = (x / u - 24.0f) / 20.0f, dy = (y / u - 44.5f) / 2.6f;
    const float d = dx * dx + dy * dy;
    if (d > 1.0f) return std::nullopt;
    return Rgba{palette::Black, 0.35f * (1.0f - SmoothStep(0.2f, 1.0f, d))};
  });
  // Three pieces of the game resting together, one of each colour component; the upper one
  // behind, so the two in front overlap it like bubbles packed in the play area.
  const float radius = 12.0f * u;
  PaintBubble(c, 24.0f * u, 14.5f * u, radius, palette::Bubble[2]);
  PaintBubble(c, 14.0f * u, 31.0f * u, radius, palette::Bubble[1]);
  PaintBubble(c, 34.0f * u, 31.0f * u, radius, palette::Bubble[4]);
  return c;
}

}  // namespace picgen
