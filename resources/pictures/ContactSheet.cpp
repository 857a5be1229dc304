#include "ContactSheet.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ColourVision.h"
#include "Icon.h"
#include "Lettering.h"
#include "Palette.h"
#include "PictureSet.h"

namespace picgen {

namespace {

constexpr int SheetWidth = 1320;
constexpr int Margin = 16;
const uint32_t SheetGround = 0x8C8C8C;  // neutral grey
const uint32_t Marker = 0xFF00FF;       // glyph column boundaries

// Copies part of a picture, leaving out key-coloured pixels when a key is given.
void Blit(Picture& dst, const Picture& src, int sx, int sy, int w, int h, int dx, int dy,
          std::optional<uint32_t> key = std::nullopt) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int x = dx + i, y = dy + j;
      if (x < 0 || y < 0 || x >= dst.Width || y >= dst.Height) continue;
      const uint32_t p = src.Pixel(sx + i, sy + j);
      if (key && p == *key) continue;
      dst.SetPixel(x, y, p);
    }
}

void BlitWhole(Picture& dst, const Picture& src, int x, int y, std::optional<uint32_t> key = std::nullopt) {
  Blit(dst, src, 0, 0, src.Width, src.Height, x, y, key);
}

Picture Blank(int w, int h, uint32_t colour) {
  Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.SetPixel(x, y, colour);
  return p;
}

void FillRect(Picture& p, int x0, int y0, int w, int h, uint32_t colour) {
  for (int y = std::max(y0, 0); y < std::min(y0 + h, p.Height); ++y)
    for (int x = std::max(x0, 0); x < std::min(x0 + w, p.Width); ++x) p.SetPixel(x, y, colour);
}

// Draws a styled text onto a finished picture.
void Caption(Picture& p, const Typeface& face, std::string_view text, int x, int baseline,
             float size = 12, Colour colour = {16, 16, 16}) {
  Lettering s;
  s.Size = size;
  s.Top = s.Bottom = colour;
  const Lettered l = Letter(face, text, s);
  for (int j = 0; j < l.Height(); ++j)
    for (int i = 0; i < l.Width(); ++i) {
      const int px = x + l.Left + i, py = baseline + l.Top + j;
      if (px < 0 || py < 0 || px >= p.Width || py >= p.Height) continue;
      const Rgba& a = l.Art.At(i, j);
      const Colour under = FromHex(p.Pixel(px, py));
      const Colour c = Mix(under, a.c, a.a);
      p.SetPixel(px, py, (uint32_t(c.r + 0.5f) << 16) | (uint32_t(c.g + 0.5f) << 8) | uint32_t(c.b + 0.5f));
    }
}

// Lays pictures out on the sheet from left to right, wrapping into rows.
class Layouter {
 public:
  Layouter(Picture& sheet, const Typeface& face) : Sheet(sheet), Face(face) {}
  void Heading(std::string_view text) {
    NewRow();
    Y += 8;
    Caption(Sheet, Face, text, Margin, Y + 18, 17, {255, 255, 255});
    Y += 28;
  }
  // Reserves a w x h box with a caption below, returns its top-left corner.
  std::pair<int, int> Box(int w, int h, std::string_view caption) {
    if (X + w > SheetWidth - Margin && X > Margin) NewRow();
    const std::pair<int, int> at{X, Y};
    Caption(Sheet, Face, caption, X, Y + h + 14);
    X += std::max(w, 8 * static_cast<int>(caption.size())) + 18;
    RowHeight = std::max(RowHeight, h + 22);
    return at;
  }
  void NewRow() {
    if (X > Margin) Y += RowHeight + 8;
    X = Margin;
    RowHeight = 0;
  }
  int Bottom() const { return Y + RowHeight + Margin; }

 private:
  Picture& Sheet;
  const Typeface& Face;
  int X = Margin, Y = Margin, RowHeight = 0;
};

void MarkColumns(Picture& sheet, int x, int y, int height, const std::vector<int>& widths) {
  int at = x;
  for (size_t i = 0; i <= widths.size(); ++i) {
    FillRect(sheet, at, y - 5, 1, 4, Marker);
    FillRect(sheet, at, y + height + 1, 1, 4, Marker);
    if (i < widths.size()) at += widths[i];
  }
}

// A piece drawn over a cell, as the play area shows it; no piece for a null name.
Picture PieceOverCell(const std::map<std::string, Picture>& pictures, const char* cell, const char* piece) {
  Picture out = pictures.at(cell);
  if (piece != nullptr) BlitWhole(out, pictures.at(piece), 0, 0, KeyPaleYellow);
  return out;
}

Picture AsSeen(Picture p, Vision v) {
  for (int y = 0; y < p.Height; ++y)
    for (int x = 0; x < p.Width; ++x) p.SetPixel(x, y, Simulate(v, p.Pixel(x, y)));
  return p;
}

Picture Enlarged(const Picture& p, int factor) {
  Picture out = Blank(p.Width * factor, p.Height * factor, 0);
  for (int y = 0; y < out.Height; ++y)
    for (int x = 0; x < out.Width; ++x) out.SetPixel(x, y, p.Pixel(x / factor, y / factor));
  return out;
}

// The colour a keyed picture is drawn on in the game, for its "as drawn" view.
uint32_t Backdrop(const PictureEntry& e) {
  if (e.Key == KeyOrange) return e.Name == "ID_FRAMEH" || e.Name == "ID_FRAMEV" ? 0x060818 : 0x151E52;
  if (e.Key == KeyWhite) return 0xFFFFFF;
  return 0xFFFEC1;
}

}  // namespace

Picture MakeContactSheet(const Typeface& face, const std::map<std::string, Picture>& pictures,
                         const std::vector<std::pair<std::string, Picture>>& screens) {
  Picture sheet = Blank(SheetWidth, 6400 + 500 * static_cast<int>((screens.size() + 1) / 2), SheetGround);
  Layouter layout(sheet, face);

  if (!screens.empty()) layout.Heading("Screens as the game composes them, from real game states");
  for (const auto& [caption, picture] : screens) {
    const auto [x, y] = layout.Box(picture.Width, picture.Height, caption);
    BlitWhole(sheet, picture, x, y);
  }

  layout.Heading("Every picture at 1x (key colour shown as is), and as drawn where it is keyed");
  for (const PictureEntry& e : PictureList()) {
    const Picture& p = pictures.at(std::string(e.Name));
    const bool strip = !StripWidths(e.Cut).empty();
    const bool wide = strip || e.Width > 600 || e.Height > 300;
    if (wide) layout.NewRow();
    auto [x, y] = layout.Box(p.Width, p.Height, e.Name);
    BlitWhole(sheet, p, x, y);
    if (strip) MarkColumns(sheet, x, y, p.Height, StripWidths(e.Cut));
    if (e.Key && e.DrawnWithKey) {
      const auto [ax, ay] = layout.Box(p.Width, p.Height, "as drawn");
      FillRect(sheet, ax, ay, p.Width, p.Height, Backdrop(e));
      BlitWhole(sheet, p, ax, ay, e.Key);
      if (strip) MarkColumns(sheet, ax, ay, p.Height, StripWidths(e.Cut));
    }
    if (wide) layout.NewRow();
  }

  static const char* tiles[] = {"ID_GAMEPLAYAREA", "ID_ABLACK", "ID_ARED", "ID_AGREEN", "ID_ABLUE",
                                "ID_AREDGREEN", "ID_AREDBLUE", "ID_AGREENBLUE", "ID_AREDGREENBLUE"};
  static const char* pieces[] = {"ID_BLACK", "ID_RED", "ID_GREEN", "ID_REDGREEN",
                                 "ID_BLUE", "ID_REDBLUE", "ID_GREENBLUE", "ID_REDGREENBLUE"};
  static const char* markedTiles[] = {"ID_MARKEDGAMEPLAYAREA", "ID_MARKEDABLACK",      "ID_MARKEDARED",
                                      "ID_MARKEDAGREEN",       "ID_MARKEDABLUE",       "ID_MARKEDAREDGREEN",
                                      "ID_MARKEDAREDBLUE",     "ID_MARKEDAGREENBLUE",  "ID_MARKEDAREDGREENBLUE"};
  static const char* markedPieces[] = {"ID_MARKEDBLACK",    "ID_MARKEDRED",       "ID_MARKEDGREEN",
                                       "ID_MARKEDREDGREEN", "ID_MARKEDBLUE",      "ID_MARKEDREDBLUE",
                                       "ID_MARKEDGREENBLUE", "ID_MARKEDREDGREENBLUE"};
  for (const bool marked : {false, true}) {
    layout.Heading(marked ? "Every piece over every cell, with colour marks" : "Every piece over every cell");
    const auto [gx, gy] = layout.Box(9 * 30, 9 * 30, "rows: pieces 0..7 after an empty row; columns: tiles 0..8");
    for (int t = 0; t < 9; ++t)
      for (int p = -1; p < 8; ++p) {
        const char* piece = p < 0 ? nullptr : (marked ? markedPieces : pieces)[p];
        const Picture cell = PieceOverCell(pictures, (marked ? markedTiles : tiles)[t], piece);
        BlitWhole(sheet, cell, gx + 30 * t, gy + 30 * (p + 1));
      }
  }

  // Twice the size, for a closer look; the marks must still read where hue does not.
  layout.Heading("Colour marks without hue: the pieces over the empty cell, then the tiles, at 2x");
  for (const Vision v : Visions) {
    Picture row = Blank(17 * 30, 30, 0);
    for (int i = 0; i < 17; ++i)
      BlitWhole(row, i < 8 ? PieceOverCell(pictures, "ID_MARKEDGAMEPLAYAREA", markedPieces[i])
                           : PieceOverCell(pictures, markedTiles[i - 8], nullptr),
                30 * i, 0);
    layout.NewRow();
    const Picture shown = Enlarged(AsSeen(row, v), 2);
    const auto [x, y] = layout.Box(shown.Width, shown.Height, VisionName(v));
    BlitWhole(sheet, shown, x, y);
  }

  layout.Heading("Desktop icon, over a light and a dark desktop");
  for (const int size : IconSizes)
    for (const Colour ground : {Colour{236, 236, 236}, Colour{32, 32, 32}}) {
      Canvas icon(size, size);
      icon.Fill(ground);
      icon.Draw(MakeIcon(size), 0, 0);
      const auto [x, y] = layout.Box(size, size, std::to_string(size) + " x " + std::to_string(size));
      BlitWhole(sheet, FlattenOpaque(icon), x, y);
    }

  layout.NewRow();
  Picture out = Blank(SheetWidth, layout.Bottom(), SheetGround);
  Blit(out, sheet, 0, 0, SheetWidth, out.Height, 0, 0);
  return out;
}

}  // namespace picgen
