#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// The headless drivers have no screen, but SDL would still try to open a box on whatever
// desktop the environment names.
bool HeadlessVideo() {
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

}  // namespace

void ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon) {
  // Also on standard error, where a desktop session's journal keeps it.
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  const Uint32 flags = icon == MessageIcon::Stop ? SDL_MESSAGEBOX_ERROR : 0;
  if (!HeadlessVideo()) SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr);
}

}  // namespace platform
