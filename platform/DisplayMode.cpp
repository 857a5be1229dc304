#include "platform/DisplayMode.h"

#include <SDL.h>

#include <utility>

namespace platform {

std::optional<DisplayMode> DesktopDisplayMode(uint32_t windowId) {
  // Start-up measures the display before anything else may have opened the video system.
  const bool opened = SDL_WasInit(SDL_INIT_VIDEO) == 0;
  if (opened && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::nullopt;
  std::optional<DisplayMode> result;
  SDL_Window* window = windowId != 0 ? SDL_GetWindowFromID(windowId) : nullptr;
  int index = window != nullptr ? SDL_GetWindowDisplayIndex(window) : 0;
  if (index < 0) index = 0;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(index, &mode) == 0)
    result = DisplayMode{mode.format, static_cast<int>(SDL_BITSPERPIXEL(mode.format))};
  if (opened) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return result;
}

int DisplayBitsPerPixel(uint32_t windowId) {
  const auto mode = DesktopDisplayMode(windowId);
  return mode ? mode->BitsPerPixel : 0;
}

DisplayModeCheck::DisplayModeCheck(uint32_t windowId)
    : DisplayModeCheck(Query([windowId] { return DesktopDisplayMode(windowId); })) {}

DisplayModeCheck::DisplayModeCheck(Query query) : Current(std::move(query)), Recorded(Current()) {}

Result DisplayModeCheck::TestCooperativeLevel() const {
  return Current() == Recorded ? DD_OK : DDERR_WRONGMODE;
}

}  // namespace platform
