// The keys a play action may be bound to. A key's index in the table is also its glyph in the
// key-name strip, so the order follows the strip: arrows, space, keypad digits, five unused
// places (the strip shows the numbers 10 to 14 there), letters, Shift, Ctrl, Alt.
#pragma once
#include <array>
#include <cstdint>

// Key slots of SetKey and KeyGlyphIndex; the same numbers as the play actions.
constexpr int KeySlotLeft = 6;
constexpr int KeySlotRight = 7;
constexpr int KeySlotUp = 8;

constexpr std::array<uint16_t, 49> KeyTable = {
    38, 40, 39, 37,                                                   // Up, Down, Right, Left
    32,                                                               // Space
    96, 97, 98, 99, 100, 101, 102, 103, 104, 105,                     // keypad 0-9
    0, 0, 0, 0, 0,                                                    // no key
    65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77,               // A-M
    78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90,               // N-Z
    16, 17, 18,                                                       // Shift, Ctrl, Alt
};

// The glyph of an unbound action: the first "no key" place. A binding that is not in the table
// (a hand-edited store) shows the same glyph, so the drawer always gets a valid index.
constexpr uint32_t KeyGlyphUnbound = 15;

static_assert(KeyTable[KeyGlyphUnbound] == 0 && KeyTable[KeyGlyphUnbound - 1] != 0);
static_assert(KeyTable[20] == 'A' && KeyTable[45] == 'Z' && KeyTable[48] == 18);
