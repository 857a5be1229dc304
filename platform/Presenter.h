// Presentation of the back buffer in the game window: the window's client area is the primary
// surface. The picture is copied into the window's own framebuffer (on X11 a shared-memory
// image) and shown in one update, on the main thread: a picture that changes a few times a
// second needs no GPU context, and loading one would cost far more memory, threads and
// start-up time than the whole game. Only where the window has no framebuffer does the
// picture go through a renderer and one streaming texture instead. Presenting never waits for
// the display's refresh, so game speed never depends on it.
#pragma once
#include <cstdint>

#include "platform/Graphics.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform {

class Presenter {
 public:
  // The window stays owned by its form and must outlive the presenter. Throws
  // std::runtime_error when there is no such window or nothing can draw into it.
  explicit Presenter(SDL_Window* window);
  // The same for the window of that id (platform::Form::WindowId).
  explicit Presenter(uint32_t windowId);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows the whole back buffer at the client area's origin, unscaled. DDBLTFX_NOTEARING is
  // accepted; tearing is left to the desktop's compositor rather than waiting for a refresh.
  // DDERR_SURFACELOST when the back buffer or the presenter itself lost its memory (the
  // window's framebuffer went with a change of the window's size, the renderer's device was
  // reset); the caller restores whichever reports lost and presents once more.
  Result Present(const Surface& backBuffer, uint32_t fx = 0);

  // Lost after a present failed until Restore takes the window's framebuffer (or makes the
  // renderer) anew.
  Result IsLost() const;
  Result Restore();
  void MarkLost();

  // Reads what the window shows from the last presented picture into a surface of the
  // back buffer's size: for checks and screenshots, not for play (it is slow).
  Result ReadBack(Surface& into);

  // True while the picture goes through a renderer because the window has no framebuffer.
  bool UsesRenderer() const { return Renderer != nullptr; }

 private:
  bool Open();
  void Close();
  bool PresentToFramebuffer(const Surface& backBuffer);
  bool PresentWithRenderer(const Surface& backBuffer);
  bool DrawTexture();
  Result ReadFramebuffer(Surface& into);
  Result ReadRenderer(Surface& into);

  SDL_Window* Window;
  SDL_Surface* Framebuffer = nullptr;  // the window's own, kept by SDL
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  // Size of the last picture presented (0 before the first).
  int PictureWidth = 0;
  int PictureHeight = 0;
  bool Lost = false;
};

}  // namespace platform
