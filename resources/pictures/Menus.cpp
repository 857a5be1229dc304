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
// plain below. Fails if the text and its effects would not stay inside.
void PaintTwoState(Canvas& c, const Typeface& face, std::string_view text, int x0, int width) {
  const Lettering styles[2] = {SelectedStyle(), PlainStyle()};
  for (int half = 0; half < 2; ++half) {
    const Lettered l = LetterToFit(face, text, styles[half], width - 2);
    const int left = x0 + CentredLeft(l, static_cast<float>(width) / 2.0f);
    const int top = Baseline + l.Top;
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
