#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace platform {

void ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  // The headless drivers have no screen, but SDL would still try to open a box on whatever
  // desktop the environment names.
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) return;
  const Uint32 flags = icon == MessageIcon::Stop ? SDL_MESSAGEBOX_ERROR : 0;
  SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr);
}

}  // namespace platform
