// Presentation of the back buffer in the game window: the window's client area is the primary
// surface. The picture is shown at the largest whole scale that fits the window (or the full
// screen), each of its pixels as scale x scale screen pixels, centred on a plain border. It
// goes into the window's own framebuffer (on X11 a shared-memory image) on the main thread: a
// picture that changes a few times a second needs no GPU context, and loading one would cost
// far more memory, threads and start-up time than the whole game. Only the parts of the
// picture that changed since the last present are scaled and sent. Only where the window has
// no framebuffer does the picture go through a renderer and one streaming texture instead.
// Presenting never waits for the display's refresh, so game speed never depends on it.
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
  int X = 0;
  int Y = 0;
  int Scale = 0;  // nothing shown yet
  friend bool operator==(const Placement&, const Placement&) = default;
};

// Draws part of the picture, each pixel as scale x scale pixels, into pixels of an SDL pixel
// format of 32 bits (pitch bytes from one row to the next), the picture's top-left corner at
// `at` of the output. The output must hold the whole scaled part.
void ScalePicture(const Surface& picture, const Rect& part, const Placement& at, void* pixels, int pitch,
                  uint32_t format);

class Presenter {
 public:
  // Presents into the window of that id (platform::Form::WindowId), which stays owned by its
  // form and must outlive the presenter. borderColour (0x00RRGGBB) fills what the picture
  // leaves of the window. Throws std::runtime_error when there is no such window or nothing
  // can draw into it.
  Presenter(uint32_t windowId, uint32_t borderColour);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows the game's picture (PictureWidth x PictureHeight; DDERR_INVALIDRECT for another size)
  // on the border. A picture unchanged since the last present is all sent again without scaling
  // anything (the window asked for it: it was uncovered), a changed one only where it changed.
  // DDBLTFX_NOTEARING is accepted; tearing is left to the desktop's compositor rather than
  // waiting for a refresh. DDERR_SURFACELOST when the picture or the presenter itself lost its
  // memory (the window's framebuffer went with a change of the window's size, the renderer's
  // device was reset); the caller restores whichever reports lost and presents once more.
  Result Present(const Surface& picture, uint32_t fx = 0);

  // Lost after a present failed until Restore takes the window's framebuffer (or makes the
  // renderer) anew, DDERR_SURFACELOST while it cannot; the next present draws the whole window.
  Result IsLost() const;
  Result Restore();
  void MarkLost();

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
  // The picture as last presented, to tell what changed, where the framebuffer does not hold
  // it as it is, and its place (none in a new framebuffer).
  std::vector<uint32_t> Last;
  Placement Where;
  bool Lost = false;
};

}  // namespace platform
