#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace picgen {

float SmoothStep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

float RoundBoxDistance(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  const float qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

void FillRoundBox(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour c,
                  float opacity) {
  canvas.Paint(static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)),
               static_cast<int>(std::ceil(x1)), static_cast<int>(std::ceil(y1)),
               [&](float x, float y) -> std::optional<Rgba> {
                 if (!InsideShape(RoundBoxDistance(x, y, x0, y0, x1, y1, radius))) return std::nullopt;
                 return Rgba{c, opacity};
               });
}

namespace {

struct Vec3 {
  float x, y, z;
};

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Normalised(Vec3 v) {
  const float n = std::sqrt(Dot(v, v));
  return {v.x / n, v.y / n, v.z / n};
}

// Light from the upper left, in front of the picture.
const Vec3 Light = Normalised({-0.55f, -0.65f, 0.55f});

float Luminance(Colour c) { return (0.3f * c.r + 0.59f * c.g + 0.11f * c.b) / 255.0f; }

}  // namespace

void PaintBubble(Canvas& canvas, float cx, float cy, float radius, Colour base, float opacity) {
  // Light colours keep more of themselves in the shade, so white stays white, not grey.
  const float ambient = 0.38f + 0.3f * Luminance(base);
  const Colour shade = Scale(base, ambient);
  const Colour lit = Lighten(base, 0.12f);
  const Colour rim = Scale(base, 0.42f + 0.2f * Luminance(base));
  const float rimWidth = std::min(1.3f / radius, 0.12f);
  canvas.Paint(static_cast<int>(std::floor(cx - radius)), static_cast<int>(std::floor(cy - radius)),
               static_cast<int>(std::ceil(cx + radius)), static_cast<int>(std::ceil(cy + radius)),
               [&](float x, float y) -> std::optional<Rgba> {
                 const float nx = (x - cx) / radius, ny = (y - cy) / radius;
                 const float d2 = nx * nx + ny * ny;
                 if (d2 > 1.0f) return std::nullopt;
                 const Vec3 n{nx, ny, std::sqrt(1.0f - d2)};
                 const float diffuse = std::max(0.0f, Dot(n, Light));
                 Colour c = Mix(shade, lit, std::pow(diffuse, 0.9f));
                 // Light coming back through the ball on the side away from the lamp.
                 const float bounce = SmoothStep(0.35f, 0.95f, 0.62f * nx + 0.72f * ny) * (1.0f - SmoothStep(0.9f, 1.0f, std::sqrt(d2)));
                 c = Mix(c, Lighten(base, 0.35f), 0.45f * bounce);
                 // The window reflection: a soft ellipse at the upper left.
                 const float ex = (nx + 0.34f) * 0.8f + (ny + 0.40f) * 0.6f;
                 const float ey = -(nx + 0.34f) * 0.6f + (ny + 0.40f) * 0.8f;
                 const float e = (ex * ex) / (0.40f * 0.40f) + (ey * ey) / (0.25f * 0.25f);
                 c = Mix(c, {255, 255, 255}, 0.85f * (1.0f - SmoothStep(0.15f, 1.0f, e)));
                 // A dark rim gives the ball a crisp outline on pale ground.
                 const float edge = SmoothStep(1.0f - 2.0f * rimWidth, 1.0f - 0.4f * rimWidth, std::sqrt(d2));
                 c = Mix(c, rim, 0.75f * edge);
                 return Rgba{c, opacity};
               });
}

void PaintSoapBubble(Canvas& canvas, float cx, float cy, float radius, Colour tint, float opacity) {
  canvas.Paint(static_cast<int>(std::floor(cx - radius)), static_cast<int>(std::floor(cy - radius)),
               static_cast<int>(std::ceil(cx + radius)), static_cast<int>(std::ceil(cy + radius)),
               [&](float x, float y) -> std::optional<Rgba> {
                 const float nx = (x - cx) / radius, ny = (y - cy) / radius;
                 const float d = std::sqrt(nx * nx + ny * ny);
                 if (d > 1.0f) return std::nullopt;
                 float a = 0.25f + 0.75f * std::pow(d, 6.0f);
                 Colour c = tint;
                 const float hx = nx + 0.42f, hy = ny + 0.45f;
                 const float h = 1.0f - SmoothStep(0.05f, 0.3f, std::sqrt(hx * hx + hy * hy));
                 c = Mix(c, {255, 255, 255}, h);
                 a = std::max(a, h);
                 return Rgba{c, a * opacity};
               });
}

}  // namespace picgen
