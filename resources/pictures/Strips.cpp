#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>

#include "GlyphTables.h"
#include "Lettering.h"
#include "Palette.h"
#include "Pictures.h"

namespace picgen {

namespace {

// Paints one glyph per column span, each centred in its span with a pixel to spare on both
// sides, so glyphs cut out by the game never carry a neighbour's ink. The columns were made
// for letters of other proportions: each glyph is widened or narrowed a little towards
// filling its column less `spare` pixels, which evens out the spacing of the words built
// from them without visibly distorting the letters.
void PaintGlyphs(Canvas& c, const Typeface& face, std::string_view glyphs,
                 std::span<const int> widths, const Lettering& style, int baseline, int spare) {
  int x = 0;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const int w = widths[i];
    Lettering fitted = style;
    const int natural = Letter(face, glyphs.substr(i, 1), style).Width();
    fitted.XScale = std::clamp(static_cast<float>(w - spare) / static_cast<float>(natural), 0.85f, 1.2f);
    const Lettered l = LetterToFit(face, glyphs.substr(i, 1), fitted, w - 2);
    const int left = x + CentredLeft(l, static_cast<float>(w) / 2.0f);
    const int top = baseline + l.Top;
    if (left < x || left + l.Width() > x + w || top < 0 || top + l.Height() > c.Height())
      throw std::runtime_error("glyph does not fit its column: " + std::string(glyphs.substr(i, 1)) +
                               " (" + std::to_string(l.Width()) + " x " + std::to_string(l.Height()) +
                               " at row " + std::to_string(top) + ")");
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
    s.Embolden = 0.2f;
    s.Hinted = true;
    s.Top = palette::InkDeepBlue;
    s.Bottom = palette::InkNavy;
    baseline = 14;
  }
  const std::span<const int> widths = big ? std::span<const int>(BigCharWidths) : std::span<const int>(SmallCharWidths);
  int width = 0;
  for (int w : widths) width += w;
  Canvas c(width, big ? 32 : 15);
  PaintGlyphs(c, face, CharAlphabet, widths, s, baseline, big ? 4 : 3);
  // Names and scores are drawn over the empty play area's pale cells.
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

}  // namespace picgen
