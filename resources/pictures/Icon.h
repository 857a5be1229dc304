// The game's icon for the desktop's menus and window lists.
#pragma once
#include <array>

#include "Canvas.h"

namespace picgen {

// The sizes the icon is installed in.
constexpr std::array<int, 2> IconSizes = {48, 256};

// The icon at size x size pixels on a transparent ground.
Canvas MakeIcon(int size);

}  // namespace picgen
