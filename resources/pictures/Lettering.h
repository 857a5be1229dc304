// Styled text: fill gradient, outline, drop shadow, glow and gloss over FreeType ink.
#pragma once
#include <string_view>

#include "Canvas.h"
#include "Typeface.h"

namespace picgen {

struct Lettering {
  float Size = 20;    // pixel size (em height)
  float XScale = 1;   // horizontal condensing
  float CapHeight = 0;  // height of the fill gradient above the baseline; 0 means 0.8 em
  Colour Top{255, 255, 255}, Bottom{255, 255, 255};  // fill, cap top to baseline
  float Embolden = 0;  // thickens the strokes by this many pixels on each side
  bool Hinted = false;  // pixel-snapped glyphs for small text
  bool BarredI = false;  // an "I" with bars at its ends
  float Outline = 0;  // outline width in pixels, 0 for none
  Colour OutlineColour{};
  int ShadowX = 0, ShadowY = 0;  // drop shadow offset, both 0 for none
  float ShadowOpacity = 0;
  Colour ShadowColour{};
  float Glow = 0;  // radius of a soft halo, 0 for none
  float GlowOpacity = 0;
  Colour GlowColour{};
  float Gloss = 0;  // opacity of a glassy white sheen over the upper part of the letters
};

// Text painted with its effects on a canvas of its own, cropped to everything it covers.
struct Lettered {
  Canvas Art{0, 0};
  int Left = 0;  // left edge of Art relative to the pen start
  int Top = 0;   // top edge of Art relative to the baseline
  float Advance = 0;
  int Width() const { return Art.Width(); }
  int Height() const { return Art.Height(); }
};

Lettered Letter(const Typeface& face, std::string_view text, const Lettering& style,
                float penOffset = 0.0f);

// Letters text, condensed just enough (if at all) for its covered width to fit maxWidth.
Lettered LetterToFit(const Typeface& face, std::string_view text, Lettering style, int maxWidth);

// How squarely lettering falls on the pixel grid: 1 when every pixel is fully covered or
// empty, lower the more of its ink lies in partly covered pixels.
double Crispness(const Lettered& l);

// Draws lettering so that its covered area is centred on centreX, baseline at baselineY.
void DrawCentred(Canvas& canvas, const Lettered& text, float centreX, int baselineY);
// Left edge of a centred placement, as DrawCentred computes it.
int CentredLeft(const Lettered& text, float centreX);

}  // namespace picgen
