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

void DisplayWait::For(int ms, int also) const {
  if (X11Socket < 0) {
    SDL_WaitEventTimeout(nullptr, ms);
    return;
  }
  pollfd files[] = {{X11Socket, POLLIN, 0}, {also, POLLIN, 0}};  // a file of -1 is passed over
  poll(files, 2, ms);
}

}  // namespace platform
