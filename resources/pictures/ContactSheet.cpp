#include "ContactSheet.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GlyphTables.h"
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

// Copies part of a picture, leaving out key-coloured pixels when a key is given; mirrored
// copies flip the source rectangle.
void Blit(Picture& dst, const Picture& src, int sx, int sy, int w, int h, int dx, int dy,
          std::optional<uint32_t> key = std::nullopt, bool mirrorLeftRight = false,
          bool mirrorUpDown = false) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int x = dx + i, y = dy + j;
      if (x < 0 || y < 0 || x >= dst.Width || y >= dst.Height) continue;
      const int fx = sx + (mirrorLeftRight ? w - 1 - i : i);
      const int fy = sy + (mirrorUpDown ? h - 1 - j : j);
      const uint32_t p = src.Pixel(fx, fy);
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

// The game's screens, put together from the pictures as the game draws them.
class Screen {
 public:
  explicit Screen(const std::map<std::string, Picture>& pictures) : P(pictures), Back(Blank(632, 453, 0)) {
    BlitWhole(Back, Get("ID_GAMESCREEN"), 0, 0);
  }
  const Picture& Result() const { return Back; }

  void Numbers(uint32_t score, uint32_t level, uint32_t best) {
    Number(Get("ID_SCORELEVELDIGITS"), 100, score);
    Number(Get("ID_SCORELEVELDIGITS"), 159, level);
    Number(Get("ID_HIGHSCOREDIGITS"), 218, best);
  }

  // Area tiles 0..8 and bubbles -1 (none) or 0..7, rows from the top.
  void Board(int w, int h, const std::vector<std::vector<int>>& tiles,
             const std::vector<std::vector<int>>& bubbles) {
    const int left = 40 + 15 * (10 - w), top = 17 + 15 * (14 - h);
    Frame(w, h, left, top);
    static const char* tileNames[] = {"ID_GAMEPLAYAREA", "ID_ABLACK", "ID_ARED", "ID_AGREEN", "ID_ABLUE",
                                      "ID_AREDGREEN", "ID_AREDBLUE", "ID_AGREENBLUE", "ID_AREDGREENBLUE"};
    static const char* pieceNames[] = {"ID_BLACK", "ID_RED", "ID_GREEN", "ID_REDGREEN",
                                       "ID_BLUE", "ID_REDBLUE", "ID_GREENBLUE", "ID_REDGREENBLUE"};
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) {
        const int tile = tiles.empty() ? 0 : tiles[static_cast<size_t>(r)][static_cast<size_t>(c)];
        BlitWhole(Back, Get(tileNames[tile]), left + 30 * c, top + 30 * r);
      }
    for (int r = 0; r < h && !bubbles.empty(); ++r)
      for (int c = 0; c < w; ++c) {
        const int b = bubbles[static_cast<size_t>(r)][static_cast<size_t>(c)];
        if (b >= 0) BlitWhole(Back, Get(pieceNames[b]), left + 30 * c, top + 30 * r, KeyPaleYellow);
      }
  }

  void Item(std::string_view name, int x, int y, bool selected) {
    const Picture& item = Get(name);
    Blit(Back, item, 0, selected ? 0 : item.Height / 2, item.Width, item.Height / 2, x, y, KeyOrange);
  }

  void KeyGlyph(int x, int y, int index, bool selected) {
    int sx = 0;
    for (int i = 0; i < index; ++i) sx += KeyGlyphs[static_cast<size_t>(i)].Width;
    Blit(Back, Get("ID_KEYSNUMBERS"), sx, selected ? 0 : 26, KeyGlyphs[static_cast<size_t>(index)].Width, 26, x, y, KeyOrange);
  }

  void Place(std::string_view name, int x, int y) { BlitWhole(Back, Get(name), x, y, KeyOf(name)); }

  void BigText(int y, std::string_view text) { Text(Get("ID_SCORECHARS"), BigCharWidths, 12, 40 + (300 - Width(text, BigCharWidths, 12)) / 2, y, text); }
  void SmallText(int centreX, int y, std::string_view text) {
    Text(Get("ID_HIGHSCORECHARS"), SmallCharWidths, 3, centreX - Width(text, SmallCharWidths, 3) / 2, y, text);
  }

  void HighScores(const std::vector<std::pair<std::string, std::string>>& rows) {
    Board(10, 14, {}, {});
    Place("ID_HIGHSCORE", 76, 27);
    Place("ID_PLAYERSCORE", 68, 72);
    for (size_t i = 0; i < rows.size(); ++i) {
      SmallText(120, 110 + 20 * static_cast<int>(i), rows[i].first);
      SmallText(267, 110 + 20 * static_cast<int>(i), rows[i].second);
    }
  }

 private:
  const Picture& Get(std::string_view name) const { return P.at(std::string(name)); }
  static std::optional<uint32_t> KeyOf(std::string_view name) { return FindPicture(name).Key; }

  void Frame(int w, int h, int left, int top) {
    const Picture& fh = Get("ID_FRAMEH");
    const Picture& fv = Get("ID_FRAMEV");
    Blit(Back, fh, 0, 0, 30 * w + 10, 10, left, top - 10, KeyOrange);
    Blit(Back, fh, 0, 0, 30 * w + 10, 10, left - 10, top + 30 * h, KeyOrange, false, true);
    Blit(Back, fv, 0, 0, 10, 30 * h + 10, left - 10, top - 10, KeyOrange);
    Blit(Back, fv, 0, 0, 10, 30 * h + 10, left + 30 * w, top, KeyOrange, true, false);
  }

  void Number(const Picture& digits, int y, uint32_t value) {
    const std::string text = std::to_string(value);
    int total = 0;
    for (char ch : text) total += DigitWidths[static_cast<size_t>(ch - '0')];
    int x = 431 + (150 - total) / 2;
    for (char ch : text) {
      const int d = ch - '0';
      int sx = 0;
      for (int i = 0; i < d; ++i) sx += DigitWidths[static_cast<size_t>(i)];
      Blit(Back, digits, sx, 0, DigitWidths[static_cast<size_t>(d)], 16, x, y, KeyWhite);
      x += DigitWidths[static_cast<size_t>(d)];
    }
  }

  static int Width(std::string_view text, const std::array<int, 36>& widths, int space) {
    int total = 0;
    for (char ch : text) total += ch == ' ' ? space : widths[CharAlphabet.find(ch)];
    return total;
  }

  void Text(const Picture& strip, const std::array<int, 36>& widths, int space, int x, int y, std::string_view text) {
    for (char ch : text) {
      if (ch == ' ') {
        x += space;
        continue;
      }
      const size_t index = CharAlphabet.find(ch);
      int sx = 0;
      for (size_t i = 0; i < index; ++i) sx += widths[i];
      Blit(Back, strip, sx, 0, widths[index], strip.Height, x, y, KeyPaleYellow);
      x += widths[index];
    }
  }

  const std::map<std::string, Picture>& P;
  Picture Back;
};

// A board in the middle of a game, standard mode: bubbles piled from the top.
std::vector<std::vector<int>> DemoBubbles() {
  std::vector<std::vector<int>> rows(14, std::vector<int>(10, -1));
  const char* pattern[] = {"0000000000", "0000000000", "7030010020", "1.24.60.3.",
                           "..5...4...", "..........", "......2...", ".........."};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 10; ++c)
      if (pattern[r][c] != '.') rows[static_cast<size_t>(r)][static_cast<size_t>(c)] = pattern[r][c] - '0';
  rows[13][5] = 3;  // the rising bubble
  return rows;
}

Picture MainMenuScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(1250, 3, 48210);
  s.Board(10, 14, {}, DemoBubbles());
  s.Item("ID_STARTGAME", 437, 277, true);
  s.Item("ID_PLAYSETUP", 441, 311, false);
  s.Item("ID_GAMESETUP", 438, 345, false);
  s.Item("ID_EXITGAME", 446, 379, false);
  return s.Result();
}

Picture PlaySetupScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(0, 0, 9870);
  std::vector<std::vector<int>> tiles(10, std::vector<int>(7, 0)), bubbles(10, std::vector<int>(7, -1));
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 7; ++c) tiles[static_cast<size_t>(r)][static_cast<size_t>(c)] = (r * 3 + c * 5) % 9;
  const int pile[][3] = {{0, 0, 1}, {0, 1, 3}, {0, 2, 7}, {0, 4, 0}, {0, 5, 4}, {0, 6, 6}, {1, 1, 5}, {1, 2, 2}, {1, 5, 1}, {9, 3, 6}};
  for (const auto& p : pile) bubbles[static_cast<size_t>(p[0])][static_cast<size_t>(p[1])] = p[2];
  s.Board(7, 10, tiles, bubbles);
  s.Item("ID_LEVEL", 409, 277, false);
  s.KeyGlyph(554, 277, 3 + 5, false);
  s.Item("ID_MODE", 410, 311, true);
  s.Item("ID_ADVANCED", 554, 311, true);
  s.Item("ID_HEIGHT", 404, 345, false);
  s.KeyGlyph(554, 345, 10 + 5, false);
  s.Item("ID_WIDTH", 406, 379, false);
  s.KeyGlyph(554, 379, 7 + 5, false);
  s.Item("ID_EXIT", 481, 413, false);
  return s.Result();
}

Picture GameSetupScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(31570, 7, 48210);
  s.HighScores({{"ANNA", "48210"}, {"BERT 2", "31570"}, {"QUENTIN", "9870"}, {"ZOE", "240"}});
  s.Item("ID_KEYS", 477, 277, false);
  s.Item("ID_SOUND", 406, 311, true);
  s.KeyGlyph(547, 311, 7 + 5, true);
  s.Item("ID_MUSIC", 408, 345, false);
  s.Item("ID_OFF", 547, 345, false);
  s.Item("ID_EXIT", 481, 379, false);
  return s.Result();
}

Picture KeysSetupScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(0, 0, 48210);
  s.Board(10, 14, {}, DemoBubbles());
  s.Item("ID_LEFT", 417, 277, false);
  s.KeyGlyph(534, 277, 3, false);
  s.Item("ID_RIGHT", 410, 311, true);
  s.KeyGlyph(534, 311, 46, true);
  s.Item("ID_UP", 426, 345, false);
  s.KeyGlyph(534, 345, 4, false);
  s.Item("ID_EXIT", 481, 379, false);
  return s.Result();
}

Picture NameEntryScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(52340, 9, 52340);
  s.Board(10, 14, {}, {});
  s.Place("ID_CONGRATULATIONS", 48, 27);
  s.BigText(147, "52340");
  s.BigText(189, "MAX Q 7");
  return s.Result();
}

Picture GameOverScreen(const std::map<std::string, Picture>& pictures) {
  Screen s(pictures);
  s.Numbers(8830, 2, 48210);
  std::vector<std::vector<int>> bubbles(14, std::vector<int>(10, -1));
  for (int r = 0; r < 14; ++r)
    for (int c = 0; c < 10; ++c)
      if (r < 13 || c == 5) bubbles[static_cast<size_t>(r)][static_cast<size_t>(c)] = (r * 7 + c * 3) % 8;
  s.Board(10, 14, {}, bubbles);
  s.Place("ID_GAMEOVER", 139, 176);
  return s.Result();
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

// The colour a keyed picture is drawn on in the game, for its "as drawn" view.
uint32_t Backdrop(const PictureEntry& e) {
  if (e.Key == KeyOrange) return e.Name == "ID_FRAMEH" || e.Name == "ID_FRAMEV" ? 0x060818 : 0x151E52;
  if (e.Key == KeyWhite) return 0xFFFFFF;
  return 0xFFFEC1;
}

}  // namespace

Picture MakeContactSheet(const Typeface& face, const std::map<std::string, Picture>& pictures) {
  Picture sheet = Blank(SheetWidth, 5200, SheetGround);
  Layouter layout(sheet, face);

  layout.Heading("Screens as the game puts them together");
  const std::pair<const char*, Picture> screens[] = {
      {"main menu over the demo", MainMenuScreen(pictures)},
      {"play setup, Advanced 7 x 10", PlaySetupScreen(pictures)},
      {"game setup from the in-game menu", GameSetupScreen(pictures)},
      {"keys setup", KeysSetupScreen(pictures)},
      {"name entry", NameEntryScreen(pictures)},
      {"game over", GameOverScreen(pictures)},
  };
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

  layout.Heading("Every piece over every cell");
  static const char* tiles[] = {"ID_GAMEPLAYAREA", "ID_ABLACK", "ID_ARED", "ID_AGREEN", "ID_ABLUE",
                                "ID_AREDGREEN", "ID_AREDBLUE", "ID_AGREENBLUE", "ID_AREDGREENBLUE"};
  static const char* pieces[] = {"ID_BLACK", "ID_RED", "ID_GREEN", "ID_REDGREEN",
                                 "ID_BLUE", "ID_REDBLUE", "ID_GREENBLUE", "ID_REDGREENBLUE"};
  const auto [gx, gy] = layout.Box(9 * 30, 9 * 30, "rows: pieces 0..7 after an empty row; columns: tiles 0..8");
  for (int t = 0; t < 9; ++t)
    for (int p = -1; p < 8; ++p) {
      BlitWhole(sheet, pictures.at(tiles[t]), gx + 30 * t, gy + 30 * (p + 1));
      if (p >= 0) BlitWhole(sheet, pictures.at(pieces[p]), gx + 30 * t, gy + 30 * (p + 1), KeyPaleYellow);
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
