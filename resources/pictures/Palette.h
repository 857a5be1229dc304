// The one palette every picture is painted from, and the colour keys the game blits with.
#pragma once
#include <cstdint>

#include "Canvas.h"

namespace picgen {

// Source colour keys, 0x00RRGGBB.
constexpr uint32_t KeyPaleYellow = 0xFFFEC1;  // pieces, tiles, headings, character strips
constexpr uint32_t KeyWhite = 0xFFFFFF;       // digit strips
constexpr uint32_t KeyOrange = 0xF8A521;      // frame bars, menu pictures, key-name strip
constexpr uint32_t KeyDarkRed = 0x800000;     // game-over sign

namespace palette {

// The pale-yellow ground of the play area's cells; the same value as the key, so pictures
// drawn over empty cells blend their edges into it exactly.
const Colour Ground = FromHex(KeyPaleYellow);
const Colour White{255, 255, 255};
const Colour Black{0, 0, 0};

// Night-blue backdrop of the play screen, top and bottom of its gradient.
const Colour NightTop{24, 30, 74};
const Colour NightBottom{9, 11, 34};
// The flat panel behind the menu rows: menu text is anti-aliased against exactly this.
const Colour MenuPanel{21, 30, 82};
const Colour PanelRim{78, 104, 196};
// The dark well the framed play area sits in.
const Colour Well{6, 8, 24};

// Menu text: the selected (upper) and plain (lower) state.
const Colour SelectedTop{120, 250, 255};
const Colour SelectedBottom{0, 200, 240};
const Colour PlainTop{255, 255, 255};
const Colour PlainBottom{214, 224, 242};
const Colour MenuShadow{4, 8, 30};

// Ink for text on the pale cells and in the white boxes.
const Colour InkNavy{28, 40, 118};
const Colour InkDeepBlue{34, 78, 200};
const Colour InkSky{70, 150, 255};
const Colour InkCrimson{196, 26, 84};
const Colour InkRose{240, 70, 130};
const Colour InkOutline{18, 22, 70};

// Bubble colours by colour value (red 1, green 2, blue 4), saturated.
constexpr int ColourCount = 8;
const Colour Bubble[ColourCount] = {
    {52, 54, 66},     // black
    {232, 36, 40},    // red
    {44, 196, 62},    // green
    {255, 218, 24},   // red + green: yellow
    {40, 92, 236},    // blue
    {214, 46, 206},   // red + blue: magenta
    {16, 204, 228},   // green + blue: cyan
    {240, 242, 248},  // red + green + blue: white
};

// The frame's beads.
const Colour FrameBead{92, 84, 214};

}  // namespace palette
}  // namespace picgen
