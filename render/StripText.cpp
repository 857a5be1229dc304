// Menu items (two states stacked in one picture) and text cut glyph by glyph from strips.
#include <numeric>
#include <string>

#include "render/GlyphWidths.h"
#include "render/Surface.h"

using platform::Rect;

namespace {

// Left edge of a glyph in a strip: the widths of the glyphs before it.
int GlyphStart(std::span<const int> widths, std::size_t index) {
  return std::accumulate(widths.begin(), widths.begin() + static_cast<std::ptrdiff_t>(index), 0);
}

int TextWidth(std::string_view text, std::span<const int> widths) {
  int total = 0;
  for (const char ch : text) total += widths[CharIndex(ch)];
  return total;
}

}  // namespace

void TSurface::DrawItem(bool selected) { DrawItemXY(X, Y, selected); }

void TSurface::DrawItemAt(bool selected, int y) { DrawItemXY(X, y, selected); }

void TSurface::DrawItemXY(int x, int y, bool selected) { DrawHalf(0, Width, x, y, selected); }

void TSurface::DrawKeyGlyph(int x, int y, uint32_t index, bool selected) {
  if (index >= KeyGlyphWidths.size()) return;
  DrawHalf(GlyphStart(KeyGlyphWidths, index), KeyGlyphWidths[index], x, y, selected);
}

void TSurface::DrawNumber(int y, uint32_t value) {
  const std::string digits = std::to_string(value);
  int total = 0;
  for (const char d : digits) total += DigitWidths[static_cast<std::size_t>(d - '0')];
  int x = X + (150 - total) / 2;
  for (const char d : digits) {
    const auto digit = static_cast<std::size_t>(d - '0');
    DrawColumns(GlyphStart(DigitWidths, digit), DigitWidths[digit], x, y);
    x += DigitWidths[digit];
  }
}

void TSurface::DrawBigText(int y, std::string_view text) {
  DrawText(X + (300 - TextWidth(text, BigCharWidths)) / 2, y, text, BigCharWidths);
}

void TSurface::DrawSmallText(int centreX, int y, std::string_view text) {
  DrawText(centreX - TextWidth(text, SmallCharWidths) / 2, y, text, SmallCharWidths);
}

// The strip holds the glyphs of the alphabet after its space; the space only moves on.
void TSurface::DrawText(int x, int y, std::string_view text, std::span<const int> widths) {
  for (const char ch : text) {
    const std::size_t index = CharIndex(ch);
    if (index != 0) DrawColumns(GlyphStart(widths, index) - widths[0], widths[index], x, y);
    x += widths[index];
  }
}

void TSurface::DrawColumns(int left, int width, int x, int y) {
  const Rect part{left, 0, left + width, Height};
  Blit({x, y, x + width, y + Height}, &part, KeyFlag());
}

void TSurface::DrawHalf(int left, int width, int x, int y, bool selected) {
  const int half = Height / 2;
  const Rect part{left, selected ? 0 : half, left + width, selected ? half : Height};
  Blit({x, y, x + width, y + half}, &part, KeyFlag());
}
