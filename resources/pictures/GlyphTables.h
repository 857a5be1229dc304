// Texts and column widths of the glyph strips. The game cuts glyphs out of the strips by
// these widths, so they must match its own tables exactly.
#pragma once
#include <array>
#include <string_view>

namespace picgen {

struct StripGlyph {
  std::string_view Text;
  int Width;
};

// Key names and the numbers 0..14, two states each.
constexpr std::array<StripGlyph, 49> KeyGlyphs = {{
    {"Up", 33},  {"Down", 70}, {"Right", 66}, {"Left", 51}, {"Space", 70}, {"0", 20},
    {"1", 10},   {"2", 17},    {"3", 17},     {"4", 19},    {"5", 17},     {"6", 18},
    {"7", 17},   {"8", 21},    {"9", 18},     {"10", 29},   {"11", 20},    {"12", 27},
    {"13", 27},  {"14", 28},   {"A", 23},     {"B", 20},    {"C", 18},     {"D", 22},
    {"E", 20},   {"F", 17},    {"G", 20},     {"H", 21},    {"I", 10},     {"J", 14},
    {"K", 20},   {"L", 17},    {"M", 26},     {"N", 21},    {"O", 21},     {"P", 19},
    {"Q", 21},   {"R", 21},    {"S", 17},     {"T", 18},    {"U", 21},     {"V", 21},
    {"W", 29},   {"X", 22},    {"Y", 21},     {"Z", 17},    {"Shift", 59}, {"Ctrl", 55},
    {"Alt", 43},
}};

constexpr std::array<int, 10> DigitWidths = {14, 8, 14, 12, 12, 15, 13, 14, 14, 13};

// Digits 0..9 then A..Z; the space that leads the game's alphabet has no glyph in the strips.
constexpr std::string_view CharAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::array<int, 36> BigCharWidths = {
    24, 13, 21, 21, 22, 21, 21, 20, 25, 22, 28, 24, 22, 27, 24, 21, 24, 26,
    13, 17, 24, 20, 31, 26, 24, 22, 24, 25, 21, 23, 25, 26, 35, 26, 26, 21};
constexpr std::array<int, 36> SmallCharWidths = {
    13, 8,  11, 11, 12, 11, 11, 11, 13, 12, 14, 12, 11, 13, 12, 11, 13, 13,
    9,  10, 12, 11, 15, 13, 12, 11, 13, 13, 11, 12, 13, 13, 17, 13, 13, 11};

}  // namespace picgen
