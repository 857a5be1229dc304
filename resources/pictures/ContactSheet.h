// The art-review sheet: the game's screens as its own composition drew them, every picture at
// 1x with its name, strips with their glyph columns marked, every piece over every cell, and
// the desktop icon.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Canvas.h"
#include "Typeface.h"

namespace picgen {

// screens: captions and pictures of the game's screens, in the order they are shown.
Picture MakeContactSheet(const Typeface& face, const std::map<std::string, Picture>& pictures,
                         const std::vector<std::pair<std::string, Picture>>& screens);

}  // namespace picgen
