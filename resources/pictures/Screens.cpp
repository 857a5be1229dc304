#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "Lettering.h"
#include "Palette.h"
#include "Pictures.h"
#include "Shapes.h"

namespace picgen {

namespace {

constexpr int WindowWidth = 632;
constexpr int WindowHeight = 453;

// A small fixed random sequence, the same on every machine.
class Sequence {
 public:
  explicit Sequence(uint32_t seed) : State(seed) {}
  float Next() {  // 0 <= value < 1
    State = State * 1664525u + 1013904223u;
    return static_cast<float>(State >> 8) / 16777216.0f;
  }
  float Between(float lo, float hi) { return lo + (hi - lo) * Next(); }

 private:
  uint32_t State;
};

// The logo: "Huebloc", every letter a glossy bubble colour, red through to white.
void PaintLogo(Canvas& c, const Typeface& face, float centreX, int baseline, float size, float glow) {
  const std::string text = "Huebloc";
  const int colours[] = {1, 3, 2, 6, 4, 5, 7};
  Lettering s;
  s.Size = size;
  s.Outline = std::max(1.0f, size * 0.018f);
  s.Gloss = 0.6f;
  s.ShadowX = static_cast<int>(std::lround(size * 0.03f));
  s.ShadowY = static_cast<int>(std::lround(size * 0.045f));
  s.ShadowOpacity = 0.7f;
  s.ShadowColour = {0, 0, 0};
  const float width = face.Render(text, size).Advance;
  float pen = centreX - width / 2.0f;
  for (size_t i = 0; i < text.size(); ++i) {
    const Colour base = palette::Bubble[colours[i]];
    s.Top = Lighten(base, 0.3f);
    s.Bottom = Scale(base, 0.85f);
    s.OutlineColour = Scale(base, 0.45f);
    s.Glow = glow;
    s.GlowOpacity = glow > 0 ? 0.55f : 0.0f;
    s.GlowColour = base;
    const float whole = std::floor(pen);
    const Lettered l = Letter(face, text.substr(i, 1), s, pen - whole);
    c.Draw(l.Art, static_cast<int>(whole) + l.Left, baseline + l.Top);
    pen += face.Render(text.substr(i, 1), size).Advance;
  }
}

void PaintVerticalGradient(Canvas& c, Colour top, Colour bottom) {
  for (int y = 0; y < c.Height(); ++y) {
    const Colour row = Mix(top, bottom, static_cast<float>(y) / static_cast<float>(c.Height() - 1));
    for (int x = 0; x < c.Width(); ++x) c.At(x, y) = {row, 1.0f};
  }
}

// A white box for one of the play screen's numbers, with its label just above it. The
// number's digits (16 pixels high) are drawn at numberY, centred in x 431 to 581.
void PaintNumberBox(Canvas& c, const Typeface& face, std::string_view label, int numberY) {
  const float x0 = 431, x1 = 581, y0 = static_cast<float>(numberY - 6), y1 = static_cast<float>(numberY + 22);
  FillRoundBox(c, x0 - 1, y0 + 2, x1 + 3, y1 + 4, 7, {0, 0, 0}, 0.45f);  // drop shadow
  FillRoundBox(c, x0 - 3, y0 - 3, x1 + 3, y1 + 3, 8, palette::PanelRim);
  FillRoundBox(c, x0 - 1.5f, y0 - 1.5f, x1 + 1.5f, y1 + 1.5f, 7, Scale(palette::PanelRim, 0.5f));
  FillRoundBox(c, x0, y0, x1, y1, 6, palette::White);
  Lettering s;
  s.Size = 16;
  s.Top = {200, 236, 255};
  s.Bottom = {130, 180, 245};
  s.ShadowX = 1;
  s.ShadowY = 1;
  s.ShadowOpacity = 0.8f;
  s.ShadowColour = {0, 0, 0};
  DrawCentred(c, Letter(face, label, s), 506, numberY - 12);
}

}  // namespace

Picture MakeTitleScreen(const Typeface& face) {
  Canvas c(WindowWidth, WindowHeight);
  c.Fill(palette::Black);
  // A faint blue haze behind the logo.
  c.Paint(0, 0, WindowWidth, WindowHeight, [](float x, float y) -> std::optional<Rgba> {
    const float dx = (x - 316) / 330, dy = (y - 230) / 190;
    const float a = 0.55f * (1.0f - SmoothStep(0.0f, 1.0f, std::sqrt(dx * dx + dy * dy)));
    return Rgba{{16, 26, 80}, a};
  }, 1);
  // Soap bubbles drifting up behind everything, clear of the logo.
  Sequence seq(20240607);
  for (int placed = 0; placed < 24;) {
    const float r = seq.Between(4, 16), x = seq.Between(10, 622), y = seq.Between(10, 443);
    const int colour = 1 + static_cast<int>(seq.Next() * 7);
    if (x > 40 - r && x < 592 + r && y > 140 - r && y < 330 + r) continue;
    PaintSoapBubble(c, x, y, r, palette::Bubble[colour], 0.35f);
    ++placed;
  }
  // Glossy bubbles around the logo: {x, y, radius, colour}.
  struct Ball {
    float X, Y, R;
    int Colour;
  };
  const Ball balls[] = {
      {74, 96, 34, 1},   {150, 52, 18, 3},  {530, 70, 40, 4},  {604, 150, 16, 6},
      {470, 38, 14, 5},  {38, 190, 12, 2},  {95, 372, 28, 6},  {170, 410, 14, 5},
      {548, 380, 32, 2}, {466, 418, 16, 3}, {600, 300, 11, 7}, {250, 58, 10, 7},
      {330, 396, 12, 1}, {395, 60, 9, 2},   {28, 300, 16, 4},  {250, 380, 8, 0},
      {380, 418, 20, 0}, {120, 160, 9, 7},
  };
  for (const Ball& b : balls) PaintBubble(c, b.X, b.Y, b.R, palette::Bubble[b.Colour]);
  // The logo, with a faint reflection as if it stood on a glassy floor.
  constexpr int baseline = 262;
  Canvas logo(WindowWidth, WindowHeight);
  PaintLogo(logo, face, 316, baseline, 118, 5);
  for (int y = baseline + 1; y < std::min(WindowHeight, baseline + 60); ++y) {
    const int from = 2 * baseline - y + 6;
    const float fade = 0.3f * (1.0f - static_cast<float>(y - baseline) / 60.0f);
    for (int x = 0; x < WindowWidth; ++x) c.Blend(x, y, logo.At(x, from).c, logo.At(x, from).a * fade);
  }
  c.Draw(logo, 0, 0);
  return FlattenOpaque(c);
}

Picture MakeGameScreen(const Typeface& face) {
  Canvas c(WindowWidth, WindowHeight);
  PaintVerticalGradient(c, palette::NightTop, palette::NightBottom);
  Sequence seq(7);
  for (int i = 0; i < 22; ++i) {
    const float r = seq.Between(6, 26);
    PaintSoapBubble(c, seq.Between(360, 632), seq.Between(0, 453), r,
                    palette::Bubble[1 + static_cast<int>(seq.Next() * 7)], 0.12f);
  }
  // The well the framed play area sits in; smaller areas leave some of it showing.
  FillRoundBox(c, 22, 1, 358, 452, 10, Scale(palette::PanelRim, 0.55f));
  FillRoundBox(c, 24, 3, 356, 450, 8, palette::Well);
  for (int i = 0; i < 14; ++i) {
    const float r = seq.Between(8, 30);
    PaintSoapBubble(c, seq.Between(40, 340), seq.Between(20, 434), r,
                    palette::Bubble[1 + static_cast<int>(seq.Next() * 7)], 0.08f);
  }

  PaintLogo(c, face, 506, 50, 44, 0);
  PaintNumberBox(c, face, "Score", 100);
  PaintNumberBox(c, face, "Level", 159);
  PaintNumberBox(c, face, "High Score", 218);

  // The menu panel: one flat colour behind every menu row, so menu text blends exactly.
  FillRoundBox(c, 390, 268, 622, 449, 11, {0, 0, 0}, 0.4f);
  FillRoundBox(c, 392, 266, 620, 447, 10, palette::PanelRim);
  FillRoundBox(c, 394, 268, 618, 445, 8, palette::MenuPanel);
  return FlattenOpaque(c);
}

}  // namespace picgen
