// Widths of the glyphs in the strips the game cuts its numbers, key names and names from.
// A glyph starts where the widths of the glyphs before it end.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// The key-name strip: Up, Down, Right, Left, Space, the numbers 0 to 14, A to Z, Shift,
// Ctrl, Alt. A number n is glyph n + 5; a bound key is its index in KeyTable.
constexpr std::array<int, 49> KeyGlyphWidths = {
    33, 70, 66, 51, 70,                                                          // Up .. Space
    20, 10, 17, 17, 19, 17, 18, 17, 21, 18, 29, 20, 27, 27, 28,                  // 0 .. 14
    23, 20, 18, 22, 20, 17, 20, 21, 10, 14, 20, 17, 26, 21, 21, 19, 21, 21, 17,  // A .. S
    18, 21, 21, 29, 22, 21, 17,                                                  // T .. Z
    59, 55, 43,                                                                  // Shift, Ctrl, Alt
};
constexpr uint32_t FirstNumberGlyph = 5;

// The digit strips, 0 to 9.
constexpr std::array<int, 10> DigitWidths = {14, 8, 14, 12, 12, 15, 13, 14, 14, 13};

// The character strips hold the alphabet below; its space has a width but no glyph.
constexpr std::string_view CharAlphabet = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::array<int, 37> BigCharWidths = {
    12,                                                                               // space
    24, 13, 21, 21, 22, 21, 21, 20, 25, 22,                                           // 0 .. 9
    28, 24, 22, 27, 24, 21, 24, 26, 13, 17, 24, 20, 31, 26, 24, 22, 24, 25, 21, 23,  // A .. T
    25, 26, 35, 26, 26, 21,                                                           // U .. Z
};
constexpr std::array<int, 37> SmallCharWidths = {
    3,                                                                                // space
    13, 8, 11, 11, 12, 11, 11, 11, 13, 12,                                            // 0 .. 9
    14, 12, 11, 13, 12, 11, 13, 13, 9, 10, 12, 11, 15, 13, 12, 11, 13, 13, 11, 12,    // A .. T
    13, 13, 17, 13, 13, 11,                                                           // U .. Z
};

// The place of a character in the alphabet. Anything else (lower case, punctuation, a byte
// of a stored name the name entry never makes) is drawn as the space.
constexpr std::size_t CharIndex(char ch) {
  if (ch >= '0' && ch <= '9') return static_cast<std::size_t>(ch - '0') + 1;
  if (ch >= 'A' && ch <= 'Z') return static_cast<std::size_t>(ch - 'A') + 11;
  return 0;
}
