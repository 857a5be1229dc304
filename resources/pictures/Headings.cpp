#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "Lettering.h"
#include "Palette.h"
#include "Pictures.h"
#include "Shapes.h"

namespace picgen {

namespace {

Lettering HeadlineStyle(float size) {
  Lettering s;
  s.Size = size;
  s.Top = palette::InkRose;
  s.Bottom = palette::InkCrimson;
  s.Outline = 1.2f;
  s.OutlineColour = {92, 8, 44};
  s.Gloss = 0.4f;
  return s;
}

Lettering BodyStyle(float size) {
  Lettering s;
  s.Size = size;
  s.Top = palette::InkDeepBlue;
  s.Bottom = palette::InkNavy;
  return s;
}

// Centres a line on centreX and insists that it stays inside the picture.
void PaintLine(Canvas& c, const Typeface& face, std::string_view text, const Lettering& style,
               float centreX, int baseline) {
  const Lettered l = LetterToFit(face, text, style, c.Width() - 2);
  const int left = CentredLeft(l, centreX), top = baseline + l.Top;
  if (left < 0 || top < 0 || left + l.Width() > c.Width() || top + l.Height() > c.Height())
    throw std::runtime_error("heading text does not fit: " + std::string(text));
  c.Draw(l.Art, left, top);
}

}  // namespace

Picture MakeCongratulations(const Typeface& face) {
  Canvas c(283, 110);
  PaintLine(c, face, "Congratulations!", HeadlineStyle(28), 141.5f, 30);
  PaintLine(c, face, "Your score made the table.", BodyStyle(16), 141.5f, 60);
  PaintLine(c, face, "Type your name, then Enter.", BodyStyle(16), 141.5f, 82);
  // A little row of bubbles in the game's colours underlines the heading.
  const int order[7] = {1, 3, 2, 6, 4, 5, 7};
  for (int i = 0; i < 7; ++i)
    PaintBubble(c, 141.5f + static_cast<float>(i - 3) * 16.0f, 100.5f, 5.5f, palette::Bubble[order[i]]);
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

Picture MakeHighScoreHeading(const Typeface& face) {
  Canvas c(228, 35);
  PaintLine(c, face, "High Scores", HeadlineStyle(27), 114.0f, 25);
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

Picture MakePlayerScoreHeads(const Typeface& face) {
  // The heads stand over the table's columns: names centred at x 120, scores at x 267 of
  // the window, and this picture is drawn at x 68.
  Canvas c(244, 28);
  const float nameCentre = 120 - 68, scoreCentre = 267 - 68;
  PaintLine(c, face, "Player", BodyStyle(19), nameCentre, 18);
  PaintLine(c, face, "Score", BodyStyle(19), scoreCentre, 18);
  for (const float centre : {nameCentre, scoreCentre})
    FillRoundBox(c, centre - 36, 22.5f, centre + 36, 25.5f, 1.5f, palette::InkRose);
  return Flatten(c, KeyPaleYellow, palette::Ground);
}

Picture MakeGameOver() {
  // A prohibition sign: a red ring and bar with a white rim, clear in the middle so the
  // final board stays visible. It lies over the board, so its edges blend into the cells'
  // pale ground, where a white rim looks the same anyway.
  Canvas c(101, 101);
  const float centre = 50.5f, outer = 50.0f, rim = 2.2f, ring = 11.0f, bar = 13.0f;
  const float sq = std::sqrt(0.5f);
  c.Paint(0, 0, 101, 101, [&](float x, float y) -> std::optional<Rgba> {
    const float dx = x - centre, dy = y - centre;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d > outer) return std::nullopt;
    // Distance across the bar, which runs from the upper left to the lower right.
    const float across = std::abs(dx * sq - dy * sq);
    const float ringInner = outer - rim - ring;
    const bool inRing = d >= ringInner;
    const bool inBar = across <= bar / 2 && d < ringInner + 0.5f;
    const bool inRimOfBar = across <= bar / 2 + rim && d < ringInner + 0.5f;
    if (d > outer - rim) return Rgba{palette::White, 1.0f};
    if (inRing || inBar) {
      // Glossy red, lit from the upper left; the darkest shade stays a bright red.
      const float light = std::clamp(0.5f - (dx * 0.55f + dy * 0.65f) / (2.0f * outer), 0.0f, 1.0f);
      Colour red = Mix(Colour{196, 18, 30}, Colour{246, 60, 64}, light);
      const float sheen = 1.0f - SmoothStep(0.0f, 1.0f, std::abs(d - (outer - rim - ring / 2)) / (ring / 2));
      if (inRing && dy < 0) red = Mix(red, {255, 170, 170}, 0.35f * sheen * std::clamp(-dy / outer, 0.0f, 1.0f));
      return Rgba{red, 1.0f};
    }
    if (d > ringInner - rim || inRimOfBar) return Rgba{palette::White, 1.0f};
    return std::nullopt;
  });
  return Flatten(c, KeyDarkRed, palette::Ground);
}

}  // namespace picgen
