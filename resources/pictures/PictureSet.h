// The game's pictures, in the order the game loads them: the fifty of the plain game, then
// the cells with colour marks.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "Canvas.h"
#include "Typeface.h"

namespace picgen {

// How a picture is cut up when the game draws it.
enum class Layout {
  Whole,       // drawn whole
  TwoState,    // upper half selected, lower half plain
  KeyStrip,    // two-state glyphs of the key-name strip
  DigitStrip,  // digits 0..9
  BigChars,    // digits and capitals, large
  SmallChars,  // digits and capitals, small
};

struct PictureEntry {
  std::string_view Name;
  int Width, Height;
  std::optional<uint32_t> Key;  // source colour key, none for opaque pictures
  Layout Cut;
  std::function<Picture(const Typeface&)> Make;
  bool DrawnWithKey = true;  // false for pictures created with a key but always drawn opaque
};

const std::vector<PictureEntry>& PictureList();
const PictureEntry& FindPicture(std::string_view name);

// Column widths of a strip layout (empty for pictures that are not strips).
std::vector<int> StripWidths(Layout cut);

}  // namespace picgen
