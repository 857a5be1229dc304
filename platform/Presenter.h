// Presentation of the back buffer in the game window, the primary surface, at the largest whole
// scale that fits, centred on a plain border. It goes into the window's own framebuffer (on X11
// a shared-memory image): a picture that changes a few times a second needs no GPU context, which
// would cost more memory, threads and start-up time than the whole game. Only a window without a
// framebuffer gets a renderer. Presenting never waits for the refresh, so game speed never does.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Graphics.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform {

// Where the picture lies in the output, its pixels scale x scale: centred (to the left and top
// by half a pixel when the room is odd).
struct Placement {
  int X = 0, Y = 0;
  int Scale = 0;  // nothing shown yet
  friend bool operator==(const Placement&, const Placement&) = default;
};

// Draws part of the picture, each pixel as scale x scale, into 32-bit pixels of an SDL format (rows
// pitch bytes apart), the picture's top-left corner at `at`. The output must hold the scaled part.
void ScalePicture(const Surface& picture, const Rect& part, const Placement& at, void* pixels, int pitch,
                  uint32_t format);

class Presenter {
 public:
  // Presents into the window of that id (platform::Form::WindowId), which must outlive it, on a
  // border of borderColour (0x00RRGGBB). Throws std::runtime_error when there is no such window
  // or nothing can draw into it.
  Presenter(uint32_t windowId, uint32_t borderColour);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows the game's picture (PictureWidth x PictureHeight, else DDERR_INVALIDRECT), scaling and
  // sending only what changed; an unchanged one is sent again as it is (the window was uncovered).
  // DDBLTFX_NOTEARING is accepted: tearing is left to the desktop's compositor. DDERR_SURFACELOST
  // when the picture or the presenter lost its memory (the window's size changed, the renderer's
  // device was reset); the caller restores whichever reports lost and presents once more.
  Result Present(const Surface& picture, uint32_t fx = 0);

  // Lost after a present failed until Restore takes the window's framebuffer (or makes the
  // renderer) anew, DDERR_SURFACELOST while it cannot; the next present draws the whole window.
  Result IsLost() const { return Lost ? DDERR_SURFACELOST : DD_OK; }
  Result Restore();
  void MarkLost() { Lost = true; }

  // Where the last present put the picture.
  Placement Shown() const { return Where; }

 private:
  bool Open();
  void Close();
  bool PresentToFramebuffer(const Surface& picture);
  bool PresentWithRenderer(const Surface& picture);

  SDL_Window* Window;
  uint32_t Border;
  SDL_Surface* Framebuffer = nullptr;  // the window's own, kept by SDL
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  // What was last presented and where, to tell what changed, unless the framebuffer holds it as it is.
  std::vector<uint32_t> Last;
  Placement Where;
  bool Lost = false;
};

}  // namespace platform
