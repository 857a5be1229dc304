#include "platform/DisplayMode.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

namespace platform {
namespace {

// Nothing when no display can be asked.
std::optional<uint32_t> DesktopFormat(uint32_t windowId) {
  // Start-up measures the display before anything else may have opened the video system.
  const bool opened = SDL_WasInit(SDL_INIT_VIDEO) == 0;
  if (opened && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::nullopt;
  // No window (id 0 or a closed one) has no display index: the first display is asked.
  const int index = std::max(0, SDL_GetWindowDisplayIndex(SDL_GetWindowFromID(windowId)));
  SDL_DisplayMode mode{};
  const bool known = SDL_GetDesktopDisplayMode(index, &mode) == 0;
  if (opened) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return known ? std::optional(mode.format) : std::nullopt;
}

}  // namespace

int DisplayBitsPerPixel(uint32_t windowId) {
  const auto format = DesktopFormat(windowId);
  return format ? static_cast<int>(SDL_BITSPERPIXEL(*format)) : 0;
}

DisplayModeCheck::DisplayModeCheck(uint32_t windowId)
    : DisplayModeCheck(Query([windowId] { return DesktopFormat(windowId); })) {}

DisplayModeCheck::DisplayModeCheck(Query query) : Current(std::move(query)), Recorded(Current()) {}

Result DisplayModeCheck::TestCooperativeLevel() const { return Current() == Recorded ? DD_OK : DDERR_WRONGMODE; }

}  // namespace platform
