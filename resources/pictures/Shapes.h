// Shapes shared by the pictures: rounded boxes and the glossy bubble, lit from the top left.
#pragma once
#include "Canvas.h"

namespace picgen {

// Signed distance from (x, y) to a rounded box (negative inside).
float RoundBoxDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);

// Whether one sample point at signed distance d lies inside a shape; the canvas's
// supersampling turns these hard answers into smooth edges.
inline bool InsideShape(float d) { return d <= 0.0f; }

// Fills a rounded box with one colour.
void FillRoundBox(Canvas& canvas, float x0, float y0, float x1, float y1, float radius, Colour c,
                  float opacity = 1.0f);

// A glossy bubble of the given colour: shaded sphere, dark rim, reflected light at the lower
// right and a bright window reflection at the upper left.
void PaintBubble(Canvas& canvas, float cx, float cy, float radius, Colour base,
                 float opacity = 1.0f);

// A faint soap bubble: clear body with a coloured rim and a small reflection.
void PaintSoapBubble(Canvas& canvas, float cx, float cy, float radius, Colour tint,
                     float opacity);

// Linear-ish smooth step between edge0 and edge1.
float SmoothStep(float edge0, float edge1, float x);

}  // namespace picgen
