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

// Paints text in both states, centred in the columns [x0, x0 + width): selected above,
// plain below. Both states share one shape and one pen position, whatever their effects;
// fails if the text and its effects would not stay inside.
void PaintTwoState(Canvas& c, const Typeface& face, std::string_view text, int x0, int width) {
  Lettering styles[2] = {SelectedStyle(), PlainStyle()};
  Lettering bare = styles[0];
  bare.Glow = 0;
  // Condense (rarely) so that the wider of the two states fits with a pixel to spare.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int widest = std::max(Letter(face, text, styles[0]).Width(), Letter(face, text, styles[1]).Width());
    if (widest <= width - 2) break;
    const float squeeze = static_cast<float>(width - 2) / static_cast<float>(widest) - 0.01f;
    for (Lettering& s : styles) s.XScale *= squeeze;
    bare.XScale *= squeeze;
  }
  // The text body itself is centred; glow and shadow fall around it.
  const Lettered body = Letter(face, text, bare);
  const int pen = x0 + CentredLeft(body, static_cast<float>(width) / 2.0f) - body.Left;
  for (int half = 0; half < 2; ++half) {
    const Lettered l = Letter(face, text, styles[half]);
    const int left = pen + l.Left, top = Baseline + l.Top;
    if (left < x0 || left + l.Width() > x0 + width || top < 0 || top + l.Height() > HalfHeight)
      throw std::runtime_error("menu text does not fit: " + std::string(text));
    c.Draw(l.Art, left, half * HalfHeight + top);
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
