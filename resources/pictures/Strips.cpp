#include <algorithm>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "GlyphTables.h"
#include "Lettering.h"
#include "Palette.h"
#include "Pictures.h"

namespace picgen {

namespace {

// Columns of a glyph's solid ink: those with a pixel at least half covered.
int SolidSpan(const Lettered& l) {
  int first = l.Width(), last = -1;
  for (int x = 0; x < l.Width(); ++x)
    for (int y = 0; y < l.Height(); ++y)
      if (l.Art.At(x, y).a >= 0.5f) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return last - first + 1;
}

// A small glyph whose solid ink spans its column but for one clear pixel on each side, as
// crisp as it can be: every glyph then leaves the same two-pixel gap to its neighbours, and
// the alphabet's three-pixel space reads as a word gap beside them. Widths from condensed
// (the typeface draws its round letters nearly circular) to a little extended are tried at
// every quarter-pixel pen offset.
Lettered SharpestFit(const Typeface& face, std::string_view glyph, const Lettering& style, int width) {
  std::optional<Lettered> best;
  int bestSpan = -1;
  double bestCrispness = -1;
  for (float scale = 0.6f; scale <= 1.4f + 1e-4f; scale += 0.025f) {
    Lettering s = style;
    s.XScale = scale;
    for (int quarter = 0; quarter < 4; ++quarter) {
      Lettered l = Letter(face, glyph, s, static_cast<float>(quarter) / 4.0f);
      if (l.Width() > width - 2) continue;
      const int span = SolidSpan(l);
      const double crispness = Crispness(l);
      if (span > bestSpan || (span == bestSpan && crispness > bestCrispness + 1e-6)) {
        bestSpan = span;
        bestCrispness = crispness;
        best = std::move(l);
      }
    }
  }
  if (!best) throw std::runtime_error("glyph does not fit its column: " + std::string(glyph));
  return std::move(*best);
}

// Paints one glyph per column span, each centred in its span with a pixel to spare on both
// sides, so glyphs cut out by the game never carry a neighbour's ink. The columns were made
// for letters of other proportions: each glyph is widened or narrowed a little towards
// filling its column less `spare` pixels, which evens out the spacing of the words built
// from them without visibly distorting the letters; crisp glyphs fill their columns exactly.
void PaintGlyphs(Canvas& c, const Typeface& face, std::string_view glyphs, std::span<const int> widths,
                 const Lettering& style, int baseline, int spare, bool crisp = false) {
  int x = 0;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const int w = widths[i];
    const std::string_view glyph = glyphs.substr(i, 1);
    Lettered l;
    if (crisp) {
      l = SharpestFit(face, glyph, style, w);
    } else {
      Lettering fitted = style;
      const int natural = Letter(face, glyph, style).Width();
      fitted.XScale = std::clamp(static_cast<float>(w - spare) / static_cast<float>(natural), 0.85f, 1.2f);
      l = LetterToFit(face, glyph, fitted, w - 2);
    }
    const int left = x + CentredLeft(l, static_cast<float>(w) / 2.0f);
    const int top = baseline + l.Top;
    if (left < x || left + l.Width() > x + w || top < 0 || top + l.Height() > c.Height())
      throw std::runtime_error("glyph does not fit its column: " + std::string(glyph) + " (" +
                               std::to_string(l.Width()) + " x " + std::to_string(l.Height()) + " at row " +
                               std::to_string(top) + ")");
    c.Draw(l.Art, left, top);
    x += w;
  }
}

}  // namespace

Picture MakeDigitStrip(const Typeface& face, bool bestScore) {
  Canvas c(129, 16);
  Lettering s;
  s.Size = 18.5f;
  s.CapHeight = 15;
  s.Embolden = 0.3f;
  s.Hinted = true;
  s.Top = bestScore ? palette::InkRose : palette::InkDeepBlue;
  s.Bottom = bestScore ? palette::InkCrimson : palette::InkNavy;
  PaintGlyphs(c, face, CharAlphabet.substr(0, 10), DigitWidths, s, 15, 3);
  // Drawn into the white boxes of the play screen.
  return Flatten(c, KeyWhite, palette::White);
}

Picture MakeCharStrip(const Typeface& face, bool big) {
  Lettering s;
  int baseline;
  if (big) {
    s.Size = 27;
    s.CapHeight = 21;
    s.Top = palette::InkSky;
    s.Bottom = palette::InkDeepBlue;
    s.Outline = 1.0f;
    s.OutlineColour = palette::InkOutline;
    s.Gloss = 0.35f;
    baseline = 26;
  } else {
    s.Size = 16;
    s.CapHeight = 13;
    s.Embolden = 0.7f;
    s.Hinted = true;
    s.BarredI = true;
    s.Top = palette::InkNavy;
    s.Bottom = palette::InkOutline;
    baseline = 14;
  }
  const std::span<const int> widths = big ? std::span<const int>(BigCharWidths) : std::span<const int>(SmallCharWidths);
  int width = 0;
  for (int w : widths) width += w;
  Canvas c(width, big ? 32 : 15);
  PaintGlyphs(c, face, CharAlphabet, widths, s, baseline, 4, !big);
  // Names and scores are drawn over the empty play area's pale cells.
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

}  // namespace picgen
