#include "Marks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "Palette.h"
#include "Shapes.h"

namespace picgen {

namespace {

// A corner triangle is right-angled, its right angle at c and its legs 2 h long, to fill the
// corner of a tile; the other shapes are centred on c.
enum class Shape { Triangle, CornerTriangle, Circle, Square, Dash };

struct Point {
  float X, Y;
};

float SegmentDistance(Point p, Point a, Point b) {
  const float dx = b.X - a.X, dy = b.Y - a.Y;
  const float t = std::clamp(((p.X - a.X) * dx + (p.Y - a.Y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
  return std::hypot(p.X - a.X - t * dx, p.Y - a.Y - t * dy);
}

// Signed distance from p to a triangle whose corners run clockwise on the screen.
float TriangleDistance(Point p, const std::array<Point, 3>& v) {
  float d = 1e9f;
  bool inside = true;
  for (size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    d = std::min(d, SegmentDistance(p, a, b));
    inside = inside && (b.X - a.X) * (p.Y - a.Y) - (b.Y - a.Y) * (p.X - a.X) >= 0;
  }
  return inside ? -d : d;
}

// Signed distance from p to a shape of half-size h centred on c (negative inside). The
// shapes are sized to look equally large: a triangle needs more room than a square.
float ShapeDistance(Shape shape, Point p, Point c, float h) {
  switch (shape) {
    case Shape::Triangle:
      // Pointing up, its centroid on c.
      return TriangleDistance(
          p, {{{c.X, c.Y - 1.3f * h}, {c.X + 1.2f * h, c.Y + 0.8f * h}, {c.X - 1.2f * h, c.Y + 0.8f * h}}});
    case Shape::CornerTriangle: return TriangleDistance(p, {{{c.X, c.Y}, {c.X + 2 * h, c.Y}, {c.X, c.Y + 2 * h}}});
    case Shape::Circle: return std::hypot(p.X - c.X, p.Y - c.Y) - h;
    case Shape::Square: {
      const float s = 0.9f * h;
      return RoundBoxDistance(p.X, p.Y, c.X - s, c.Y - s, c.X + s, c.Y + s, 0.5f);
    }
    case Shape::Dash: return RoundBoxDistance(p.X, p.Y, c.X - h, c.Y - 0.45f * h, c.X + h, c.Y + 0.45f * h, 0.5f);
  }
  return 1e9f;
}

struct Mark {
  Shape Form;
  Point At;
  float Size;  // half-size
};

// Paints a mark filled with one colour inside an outline of another (no outline for width 0).
void Paint(Canvas& canvas, const Mark& m, Colour fill, Colour outline = {}, float outlineWidth = 0) {
  const int reach = static_cast<int>(std::ceil(2 * m.Size + outlineWidth)) + 1;
  const auto x0 = static_cast<int>(m.At.X) - reach, y0 = static_cast<int>(m.At.Y) - reach;
  const auto x1 = static_cast<int>(m.At.X) + reach + 1, y1 = static_cast<int>(m.At.Y) + reach + 1;
  const auto layer = [&](Colour colour, float grow) {
    canvas.Paint(x0, y0, x1, y1, [&](float x, float y) -> std::optional<Rgba> {
      if (!InsideShape(ShapeDistance(m.Form, {x, y}, m.At, m.Size) - grow)) return std::nullopt;
      return Rgba{colour, 1.0f};
    });
  };
  if (outlineWidth > 0) layer(outline, outlineWidth);
  layer(fill, 0);
}

// Each component's mark on a bubble, and in the corner of a tile nearest to it, where the
// tile still shows around a bubble resting on it.
struct ComponentMark {
  int Component;  // red 1, green 2, blue 4
  Mark OnPiece, OnTile;
};
constexpr float PieceMarkSize = 3.2f;
constexpr std::array<ComponentMark, 3> ComponentMarks = {{
    {1, {Shape::Triangle, {15.0f, 7.4f}, PieceMarkSize}, {Shape::CornerTriangle, {1.2f, 1.2f}, 3.4f}},
    {2, {Shape::Circle, {9.3f, 19.8f}, PieceMarkSize}, {Shape::Circle, {3.4f, 26.6f}, 2.3f}},
    {4, {Shape::Square, {20.7f, 19.8f}, PieceMarkSize}, {Shape::Square, {26.8f, 26.8f}, 2.2f}},
}};
// A-black admits no component: its mark, a dash, has the fourth corner.
constexpr Mark NoneOnTile = {Shape::Dash, {25.6f, 2.3f}, 3.0f};

// Marks on a bubble are white, with a dark outline that keeps them clear of white bubbles;
// marks on a tile are dark, on the tile's pale plate.
constexpr float PieceMarkOutline = 1.0f;
const Colour MarkInk{14, 16, 40};

}  // namespace

void PaintPieceMarks(Canvas& canvas, int colour) {
  for (const ComponentMark& m : ComponentMarks)
    if ((colour & m.Component) != 0) Paint(canvas, m.OnPiece, palette::White, MarkInk, PieceMarkOutline);
}

void PaintTileMarks(Canvas& canvas, int colour) {
  if (colour == 0) Paint(canvas, NoneOnTile, MarkInk);
  for (const ComponentMark& m : ComponentMarks)
    if ((colour & m.Component) != 0) Paint(canvas, m.OnTile, MarkInk);
}

}  // namespace picgen
