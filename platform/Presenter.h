// Presentation of the back buffer in the game window: the window's client area is the primary
// surface. The picture goes through one renderer and one streaming texture, on the main
// thread. Presenting never waits for the display's refresh, so game speed never depends on it.
#pragma once
#include <cstdint>

#include "platform/Graphics.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform {

class Presenter {
 public:
  // The window stays owned by its form and must outlive the presenter. Throws
  // std::runtime_error when there is no such window or no renderer can be made for it.
  explicit Presenter(SDL_Window* window);
  // The same for the window of that id (platform::Form::WindowId).
  explicit Presenter(uint32_t windowId);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows the whole back buffer at the client area's origin, unscaled. DDBLTFX_NOTEARING is
  // accepted; tearing is left to the desktop's compositor rather than waiting for a refresh.
  // DDERR_SURFACELOST when the back buffer or the presenter itself lost its memory; the
  // caller restores whichever reports lost and presents once more.
  Result Present(const Surface& backBuffer, uint32_t fx = 0);

  // Lost after the renderer failed (its device was reset) until Restore makes it anew.
  Result IsLost() const;
  Result Restore();
  void MarkLost();

  // Reads what the window shows from the last presented picture into a surface of the
  // back buffer's size: for checks and screenshots, not for play (it is slow).
  Result ReadBack(Surface& into);

 private:
  bool CreateRenderer();
  void DestroyRenderer();
  bool DrawTexture();

  SDL_Window* Window;
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  int TextureWidth = 0;
  int TextureHeight = 0;
  bool Lost = false;
};

}  // namespace platform
