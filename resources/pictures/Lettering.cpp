#include "Lettering.h"

#include <algorithm>
#include <cmath>

namespace picgen {

namespace {

// The smallest box holding every covered pixel of a canvas.
struct Box {
  int X0, Y0, X1, Y1;
};

Box CoveredBox(const Canvas& c) {
  Box b{c.Width(), c.Height(), 0, 0};
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x)
      if (c.At(x, y).a >= 0.5f / 255.0f) {
        b.X0 = std::min(b.X0, x);
        b.Y0 = std::min(b.Y0, y);
        b.X1 = std::max(b.X1, x + 1);
        b.Y1 = std::max(b.Y1, y + 1);
      }
  if (b.X1 == 0) b = {0, 0, 0, 0};
  return b;
}

Mask Shifted(const Mask& m, int dx, int dy) {
  Mask out(m.Width(), m.Height());
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) out.Ref(x, y) = m.At(x - dx, y - dy);
  return out;
}

}  // namespace

Lettered Letter(const Typeface& face, std::string_view text, const Lettering& style,
                float penOffset) {
  const InkText ink = face.Render(
      text, {style.Size, penOffset, style.XScale, style.Embolden, style.Hinted, style.BarredI});
  Lettered out;
  out.Advance = ink.Advance;
  if (ink.Ink.Width() == 0) return out;

  const int pad = static_cast<int>(std::ceil(style.Outline + 3 * style.Glow)) + 2 +
                  std::max(std::abs(style.ShadowX), std::abs(style.ShadowY));
  // The ink mask, padded so that grown effects have room.
  Mask body(ink.Ink.Width() + 2 * pad, ink.Ink.Height() + 2 * pad);
  for (int y = 0; y < ink.Ink.Height(); ++y)
    for (int x = 0; x < ink.Ink.Width(); ++x) body.Ref(x + pad, y + pad) = ink.Ink.At(x, y);
  const int originX = pad - ink.Left;  // pen start in canvas pixels
  const int baseline = pad - ink.Top;

  Canvas art(body.Width(), body.Height());
  const Mask outer = style.Outline > 0 ? body.Grown(style.Outline) : body;
  if (style.Glow > 0)
    PaintMask(art, outer.Blurred(static_cast<int>(std::lround(style.Glow))), 0, 0, style.GlowColour,
              style.GlowOpacity);
  if (style.ShadowX != 0 || style.ShadowY != 0)
    PaintMask(art, Shifted(outer, style.ShadowX, style.ShadowY), 0, 0, style.ShadowColour,
              style.ShadowOpacity);
  if (style.Outline > 0) PaintMask(art, outer, 0, 0, style.OutlineColour);
  const float cap = style.CapHeight > 0 ? style.CapHeight : style.Size * 0.8f;
  const float top = static_cast<float>(baseline) - cap;
  PaintMask(art, body, 0, 0, [&](float, float y) {
    return Mix(style.Top, style.Bottom, std::clamp((y - top) / cap, 0.0f, 1.0f));
  });
  if (style.Gloss > 0) {
    // A glassy band over the upper half of the letters, strongest at the top, with a crisp
    // lower edge like a reflection on a rounded surface.
    for (int y = 0; y < art.Height(); ++y) {
      const float t = (static_cast<float>(y) + 0.5f - top) / (cap * 0.5f);
      if (t > 1.0f) continue;
      const float a = style.Gloss * (1.0f - 0.65f * std::clamp(t, 0.0f, 1.0f)) *
                      std::clamp((1.0f - t) * cap * 0.5f, 0.0f, 1.0f);
      for (int x = 0; x < art.Width(); ++x) art.Blend(x, y, {255, 255, 255}, a * body.At(x, y));
    }
  }

  const Box b = CoveredBox(art);
  Canvas cropped(b.X1 - b.X0, b.Y1 - b.Y0);
  for (int y = b.Y0; y < b.Y1; ++y)
    for (int x = b.X0; x < b.X1; ++x) cropped.At(x - b.X0, y - b.Y0) = art.At(x, y);
  out.Art = std::move(cropped);
  out.Left = b.X0 - originX;
  out.Top = b.Y0 - baseline;
  return out;
}

double Crispness(const Lettered& l) {
  double ink = 0, solid = 0;
  for (int y = 0; y < l.Height(); ++y)
    for (int x = 0; x < l.Width(); ++x) {
      const double a = l.Art.At(x, y).a;
      ink += a;
      solid += a * a;
    }
  return ink > 0 ? solid / ink : 0;
}

Lettered LetterToFit(const Typeface& face, std::string_view text, Lettering style, int maxWidth) {
  Lettered out = Letter(face, text, style);
  for (int attempt = 0; attempt < 8 && out.Width() > maxWidth; ++attempt) {
    style.XScale *= static_cast<float>(maxWidth) / static_cast<float>(out.Width()) - 0.01f;
    out = Letter(face, text, style);
  }
  return out;
}

int CentredLeft(const Lettered& text, float centreX) {
  return static_cast<int>(std::lround(centreX - static_cast<float>(text.Width()) / 2.0f));
}

void DrawCentred(Canvas& canvas, const Lettered& text, float centreX, int baselineY) {
  canvas.Draw(text.Art, CentredLeft(text, centreX), baselineY + text.Top);
}

}  // namespace picgen
