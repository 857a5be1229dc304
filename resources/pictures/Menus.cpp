#include <algorithm>
#include <stdexcept>
#include <string>

#include "GlyphTables.h"
#include "Lettering.h"
#include "Palette.h"
#include "Pictures.h"

namespace picgen {

namespace {

constexpr int HalfHeight = 26;  // each state is one half of the picture
constexpr int Baseline = 18;    // within a half: caps from row 3, descenders to row 22

Lettering SelectedStyle() {
  Lettering s;
  s.Size = 19;
  s.Top = palette::SelectedTop;
  s.Bottom = palette::SelectedBottom;
  s.Glow = 1.0f;
  s.GlowOpacity = 0.6f;
  s.GlowColour = {0, 170, 255};
  return s;
}

Lettering PlainStyle() {
  Lettering s;
  s.Size = 19;
  s.Top = palette::PlainTop;
  s.Bottom = palette::PlainBottom;
  s.ShadowX = 1;
  s.ShadowY = 1;
  s.ShadowOpacity = 0.85f;
  s.ShadowColour = palette::MenuShadow;
  return s;
}

// A glow is bought with condensing only down to this scale: beyond it the strokes of narrow
// glyphs ("1", "J") grow thin and dim. A glow that still does not fit fades out before the
// column's edges instead.
constexpr float GlowSqueezeLimit = 0.85f;
constexpr int GlowFade = 3;  // pixels over which a glow fades out towards a column's edge

// Draws the selected state, its glow faded out towards the blank edge columns x0 and x1 - 1,
// with the letter body drawn whole over the faded part.
void DrawGlowing(Canvas& c, const Lettered& glowing, int gx, int gy, const Lettered& body, int bx, int by,
                 int x0, int x1) {
  const auto fade = [&](int x) {
    return std::clamp(static_cast<float>(std::min(x - x0, x1 - 1 - x)) / GlowFade, 0.0f, 1.0f);
  };
  for (int j = 0; j < glowing.Height(); ++j)
    for (int i = 0; i < glowing.Width(); ++i) {
      const Rgba& p = glowing.Art.At(i, j);
      c.Blend(gx + i, gy + j, p.c, p.a * fade(gx + i));
    }
  for (int j = 0; j < body.Height(); ++j)
    for (int i = 0; i < body.Width(); ++i)
      if (fade(bx + i) < 1.0f) c.Blend(bx + i, by + j, body.Art.At(i, j).c, body.Art.At(i, j).a);
}

// The quarter-pixel pen offset at which the text's upright strokes fall most squarely on the
// pixel grid: one solid column rather than two half-covered ones, so a lone stem such as
// that of "1" or "I" reads bright instead of grey. Only offsets at which the text and its
// shadow still fit `room` columns are taken.
float CrispestOffset(const Typeface& face, std::string_view text, const Lettering& bare, const Lettering& shadowed,
                     int room) {
  float best = 0, bestScore = -1;
  for (int quarter = 0; quarter < 4; ++quarter) {
    const float offset = static_cast<float>(quarter) / 4.0f;
    const Lettered l = Letter(face, text, bare, offset);
    if (std::max(l.Width(), Letter(face, text, shadowed, offset).Width()) > room) continue;
    const double score = Crispness(l);
    if (score > bestScore + 1e-6) best = offset, bestScore = score;
  }
  return best;
}

// Paints text in both states, centred in the columns [x0, x0 + width): selected above,
// plain below. Both states share one shape and one pen position, whatever their effects;
// fails if the text and its shadow would not stay inside.
void PaintTwoState(Canvas& c, const Typeface& face, std::string_view text, int x0, int width) {
  Lettering styles[2] = {SelectedStyle(), PlainStyle()};
  Lettering bare = styles[0];
  bare.Glow = 0;
  // Condense (rarely) so that the text with its shadow fits with a pixel to spare, and the
  // glow too as far as the limit allows.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int solid = std::max(Letter(face, text, bare).Width(), Letter(face, text, styles[1]).Width());
    const int glowing = Letter(face, text, styles[0]).Width();
    float squeeze = 1.0f;
    if (solid > width - 2)
      squeeze = static_cast<float>(width - 2) / static_cast<float>(solid) - 0.01f;
    else if (glowing > width - 2 && bare.XScale > GlowSqueezeLimit + 1e-4f)
      squeeze = std::max(static_cast<float>(width - 2) / static_cast<float>(glowing) - 0.01f,
                         GlowSqueezeLimit / bare.XScale);
    if (squeeze >= 1.0f) break;
    for (Lettering& s : styles) s.XScale *= squeeze;
    bare.XScale *= squeeze;
  }
  const float offset = CrispestOffset(face, text, bare, styles[1], width - 2);
  // The text body itself is centred; glow and shadow fall around it.
  const Lettered body = Letter(face, text, bare, offset);
  const int pen = x0 + CentredLeft(body, static_cast<float>(width) / 2.0f) - body.Left;
  for (int half = 0; half < 2; ++half) {
    const Lettered l = Letter(face, text, styles[half], offset);
    const Lettered& solid = half == 0 ? body : l;
    const int left = pen + solid.Left, top = Baseline + l.Top;
    if (left < x0 + 1 || left + solid.Width() > x0 + width - 1 || top < 0 || top + l.Height() > HalfHeight)
      throw std::runtime_error("menu text does not fit: " + std::string(text));
    if (half == 0)
      DrawGlowing(c, l, pen + l.Left, top, body, pen + body.Left, Baseline + body.Top, x0, x0 + width);
    else
      c.Draw(l.Art, left, HalfHeight + top);
  }
}

}  // namespace

Picture MakeMenuPicture(const Typeface& face, std::string_view text, int width) {
  Canvas c(width, 2 * HalfHeight);
  PaintTwoState(c, face, text, 0, width);
  // Menu pictures are drawn over the flat panel of the play screen.
  return Flatten(c, KeyOrange, palette::MenuPanel);
}

Picture MakeKeyStrip(const Typeface& face) {
  int width = 0;
  for (const StripGlyph& g : KeyGlyphs) width += g.Width;
  Canvas c(width, 2 * HalfHeight);
  int x = 0;
  for (const StripGlyph& g : KeyGlyphs) {
    PaintTwoState(c, face, g.Text, x, g.Width);
    x += g.Width;
  }
  return Flatten(c, KeyOrange, palette::MenuPanel);
}

}  // namespace picgen
