#include "platform/Presenter.h"

#include <SDL.h>

#include <stdexcept>
#include <string>

namespace platform {

Presenter::Presenter(SDL_Window* window) : Window(window) {
  if (window == nullptr) throw std::runtime_error("no window to present into");
  if (!CreateRenderer()) throw std::runtime_error(std::string("cannot draw into the window: ") + SDL_GetError());
}

Presenter::Presenter(uint32_t windowId) : Presenter(SDL_GetWindowFromID(windowId)) {}

Presenter::~Presenter() { DestroyRenderer(); }

bool Presenter::CreateRenderer() {
  Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED);
  if (Renderer == nullptr) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
  if (Renderer == nullptr) return false;
  // Whatever the environment asks for, a present must never wait for the refresh.
  SDL_RenderSetVSync(Renderer, 0);
  return true;
}

void Presenter::DestroyRenderer() {
  if (Texture != nullptr) SDL_DestroyTexture(Texture);
  if (Renderer != nullptr) SDL_DestroyRenderer(Renderer);
  Texture = nullptr;
  Renderer = nullptr;
  TextureWidth = TextureHeight = 0;
}

Result Presenter::IsLost() const { return Lost || Renderer == nullptr ? DDERR_SURFACELOST : DD_OK; }

Result Presenter::Restore() {
  if (IsLost() == DD_OK) return DD_OK;
  DestroyRenderer();
  if (!CreateRenderer()) return DDERR_GENERIC;
  Lost = false;
  return DD_OK;
}

void Presenter::MarkLost() { Lost = true; }

// Copies the texture to the client origin. On a high-density display the window's drawable
// has more pixels than the window has points, and the picture is scaled to keep its size.
bool Presenter::DrawTexture() {
  int windowW = 0, windowH = 0, outputW = 0, outputH = 0;
  SDL_GetWindowSize(Window, &windowW, &windowH);
  if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return false;
  SDL_Rect dest{0, 0, TextureWidth, TextureHeight};
  if (windowW > 0 && windowH > 0 && (outputW != windowW || outputH != windowH)) {
    dest.w = static_cast<int>(static_cast<int64_t>(TextureWidth) * outputW / windowW);
    dest.h = static_cast<int>(static_cast<int64_t>(TextureHeight) * outputH / windowH);
  }
  // Only a drawable larger than the picture has pixels the picture leaves alone.
  if (outputW > dest.w || outputH > dest.h) {
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    if (SDL_RenderClear(Renderer) != 0) return false;
  }
  return SDL_RenderCopy(Renderer, Texture, nullptr, &dest) == 0;
}

Result Presenter::Present(const Surface& backBuffer, uint32_t /*fx*/) {
  if (IsLost() != DD_OK || backBuffer.IsLost() != DD_OK) return DDERR_SURFACELOST;
  const int width = backBuffer.Width();
  const int height = backBuffer.Height();
  if (Texture == nullptr || width != TextureWidth || height != TextureHeight) {
    if (Texture != nullptr) SDL_DestroyTexture(Texture);
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    TextureWidth = Texture != nullptr ? width : 0;
    TextureHeight = Texture != nullptr ? height : 0;
    if (Texture == nullptr) {
      Lost = true;
      return DDERR_SURFACELOST;
    }
  }
  // Surface rows are contiguous, so the whole picture goes up in one call.
  const int pitch = width * static_cast<int>(sizeof(uint32_t));
  if (SDL_UpdateTexture(Texture, nullptr, backBuffer.Row(0).data(), pitch) != 0 || !DrawTexture()) {
    Lost = true;
    return DDERR_SURFACELOST;
  }
  SDL_RenderPresent(Renderer);
  return DD_OK;
}

Result Presenter::ReadBack(Surface& into) {
  if (IsLost() != DD_OK || into.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (Texture == nullptr || into.Width() != TextureWidth || into.Height() != TextureHeight) return DDERR_INVALIDPARAMS;
  if (!DrawTexture()) return DDERR_GENERIC;
  const SDL_Rect area{0, 0, TextureWidth, TextureHeight};
  const int pitch = TextureWidth * static_cast<int>(sizeof(uint32_t));
  if (SDL_RenderReadPixels(Renderer, &area, SDL_PIXELFORMAT_RGB888, into.Row(0).data(), pitch) != 0) return DDERR_GENERIC;
  for (int y = 0; y < TextureHeight; ++y)
    for (uint32_t& p : into.Row(y)) p &= ColourMask;
  return DD_OK;
}

}  // namespace platform
