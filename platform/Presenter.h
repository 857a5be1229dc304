// Presentation of the back buffer in the game window: the window's client area is the primary
// surface. The picture is shown from the window's own framebuffer (on X11 a shared-memory
// image) in one update, on the main thread: a picture that changes a few times a second needs
// no GPU context, and loading one would cost far more memory, threads and start-up time than
// the whole game. The back buffer the presenter makes is that framebuffer itself wherever the
// framebuffer holds the picture as it is, so composing draws straight into the window and
// presenting copies nothing. Only where the window has no framebuffer does the picture go
// through a renderer and one streaming texture instead. Presenting never waits for the
// display's refresh, so game speed never depends on it.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

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

  // The back buffer for pictures of width x height. Where the window's framebuffer holds such
  // a picture as it is (the same pixel layout, unscaled), the back buffer draws straight into
  // it; elsewhere it has memory of its own, which Present copies into the window. When the
  // framebuffer is taken anew (Restore), the back buffer moves along with the picture it
  // holds, so the window's framebuffer is the presenter's alone to take. Presenting another
  // surface draws over the back buffer's picture. The back buffer is lost for good once the
  // presenter is gone, or a later back buffer is made.
  std::unique_ptr<Surface> MakeBackBuffer(int width, int height);

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
  bool CanvasInFramebuffer() const;
  std::vector<uint32_t> CanvasPicture() const;
  void PlaceCanvas(const std::vector<uint32_t>& picture);
  bool PresentToFramebuffer(const Surface& backBuffer);
  bool PresentWithRenderer(const Surface& backBuffer);
  bool DrawTexture();
  Result ReadFramebuffer(Surface& into);
  Result ReadRenderer(Surface& into);

  SDL_Window* Window;
  SDL_Surface* Framebuffer = nullptr;  // the window's own, kept by SDL
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  // The pixels of the back buffer made here (none before MakeBackBuffer): the framebuffer's,
  // or CanvasMemory where the framebuffer cannot hold the picture as it is.
  std::shared_ptr<SharedPixels> Canvas;
  PixelBlock CanvasMemory;
  int CanvasWidth = 0;
  int CanvasHeight = 0;
  // Size of the last picture presented (0 before the first).
  int PictureWidth = 0;
  int PictureHeight = 0;
  bool Lost = false;
};

}  // namespace platform
