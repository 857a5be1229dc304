#include "platform/DisplayWait.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

namespace platform {

DisplayWait::DisplayWait(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
    X11Socket = ConnectionNumber(info.info.x11.display);
#else
  (void)window;
#endif
}

void DisplayWait::For(int ms) const {
  if (X11Socket < 0) {
    SDL_WaitEventTimeout(nullptr, ms);
    return;
  }
  pollfd display{X11Socket, POLLIN, 0};
  poll(&display, 1, ms);
}

}  // namespace platform
