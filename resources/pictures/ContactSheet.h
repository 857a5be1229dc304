// The art-review sheet: every picture at 1x with its name, strips with their glyph columns
// marked, the pictures put together the way the game's screens use them, and the desktop icon.
#pragma once
#include <map>
#include <string>

#include "Canvas.h"
#include "Typeface.h"

namespace picgen {

Picture MakeContactSheet(const Typeface& face, const std::map<std::string, Picture>& pictures);

}  // namespace picgen
