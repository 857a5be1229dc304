#include "platform/Presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {
namespace {

constexpr int BytesPerPixel = static_cast<int>(sizeof(uint32_t));

// With HUEBLOC_TIMING set (and not "0"), the wall-clock time of the first picture that reached
// the screen goes to stderr once, for start-up measurements to compare with their launch stamp.
void ReportFirstPresent() {
  static bool reported = false;  // main thread only
  if (reported) return;
  reported = true;
  const char* wanted = std::getenv("HUEBLOC_TIMING");
  if (wanted == nullptr || *wanted == '\0' || std::string(wanted) == "0") return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::fprintf(stderr, "huebloc: first present at %lld ns\n",
               static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
}

// Where a picture of width × height goes in the window's output of outputW × outputH pixels:
// at the origin, unscaled. On a high-density display the output has more pixels than the
// window has points, and the picture is scaled to keep its size on the screen.
SDL_Rect PictureArea(SDL_Window* window, int width, int height, int outputW, int outputH) {
  int windowW = 0, windowH = 0;
  SDL_GetWindowSize(window, &windowW, &windowH);
  SDL_Rect area{0, 0, width, height};
  if (windowW > 0 && windowH > 0 && (outputW != windowW || outputH != windowH)) {
    area.w = std::max(1, static_cast<int>(static_cast<int64_t>(width) * outputW / windowW));
    area.h = std::max(1, static_cast<int>(static_cast<int64_t>(height) * outputH / windowH));
  }
  return area;
}

bool Scaled(const SDL_Rect& area, int width, int height) { return area.w != width || area.h != height; }
bool Scaled(const SDL_Rect& area, const Surface& picture) { return Scaled(area, picture.Width(), picture.Height()); }

void CopyRows(uint32_t* to, int toStride, const uint32_t* from, int fromStride, int width, int height) {
  for (int y = 0; y < height; ++y)
    std::memcpy(to + static_cast<std::size_t>(y) * toStride, from + static_cast<std::size_t>(y) * fromStride,
                static_cast<std::size_t>(width) * sizeof(uint32_t));
}

}  // namespace

Presenter::Presenter(SDL_Window* window) : Window(window) {
  if (window == nullptr) throw std::runtime_error("no window to present into");
  if (!Open()) throw std::runtime_error(std::string("cannot draw into the window: ") + SDL_GetError());
}

Presenter::Presenter(uint32_t windowId) : Presenter(SDL_GetWindowFromID(windowId)) {}

Presenter::~Presenter() {
  // A back buffer that outlives the presenter has nothing left to draw into.
  if (Canvas) Canvas->Data = nullptr;
  Close();
}

std::unique_ptr<Surface> Presenter::MakeBackBuffer(int width, int height) {
  auto canvas = std::make_shared<SharedPixels>();
  auto backBuffer = std::make_unique<Surface>(width, height, canvas);
  if (Canvas) Canvas->Data = nullptr;  // an earlier back buffer is lost for good
  Canvas = std::move(canvas);
  CanvasMemory = PixelBlock();
  CanvasWidth = width;
  CanvasHeight = height;
  PlaceCanvas({});
  return backBuffer;
}

bool Presenter::CanvasInFramebuffer() const {
  return Canvas != nullptr && Canvas->Data != nullptr && CanvasMemory.Data() == nullptr;
}

// The picture the back buffer holds while it is the framebuffer, which SDL may free when it
// makes the framebuffer anew; nothing otherwise.
std::vector<uint32_t> Presenter::CanvasPicture() const {
  std::vector<uint32_t> picture;
  if (!CanvasInFramebuffer()) return picture;
  picture.resize(static_cast<std::size_t>(CanvasWidth) * static_cast<std::size_t>(CanvasHeight));
  CopyRows(picture.data(), CanvasWidth, Canvas->Data, Canvas->Stride, CanvasWidth, CanvasHeight);
  return picture;
}

// Puts the back buffer into the framebuffer where that holds its picture as it is (the
// surface format, unscaled, large enough), else into memory of its own, and brings along the
// picture it had: saved (from an earlier framebuffer), or in its own memory, or none (black).
void Presenter::PlaceCanvas(const std::vector<uint32_t>& saved) {
  if (!Canvas) return;
  const int width = CanvasWidth;
  const int height = CanvasHeight;
  const uint32_t* picture = !saved.empty() ? saved.data() : CanvasMemory.Data();
  const bool holds = Framebuffer != nullptr && Framebuffer->format->format == SDL_PIXELFORMAT_RGB888 &&
                     Framebuffer->pitch % BytesPerPixel == 0 && Framebuffer->w >= width && Framebuffer->h >= height &&
                     !Scaled(PictureArea(Window, width, height, Framebuffer->w, Framebuffer->h), width, height);
  if (holds) {
    auto* pixels = static_cast<uint32_t*>(Framebuffer->pixels);
    const int stride = Framebuffer->pitch / BytesPerPixel;
    // Whatever the picture leaves of a larger framebuffer stays black.
    if (picture == nullptr || Framebuffer->w > width || Framebuffer->h > height)
      SDL_FillRect(Framebuffer, nullptr, 0);
    if (picture != nullptr) CopyRows(pixels, stride, picture, width, width, height);
    Canvas->Data = pixels;
    Canvas->Stride = stride;
    CanvasMemory = PixelBlock();
    return;
  }
  if (CanvasMemory.Data() == nullptr) {
    // Drawn into and copied out whole for every picture.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    CanvasMemory = PixelBlock(count, Placement::LargePages);
    if (picture != nullptr) CopyRows(CanvasMemory.Data(), width, picture, width, width, height);
  }
  Canvas->Data = CanvasMemory.Data();
  Canvas->Stride = width;
}

bool Presenter::Open() {
  // Asked for a window's framebuffer, SDL would rather put a GPU renderer behind it on X11;
  // the plain shared-memory image is all this picture needs. A user's own setting still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Framebuffer = SDL_GetWindowSurface(Window);
  if (Framebuffer != nullptr) return true;
  Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED);
  if (Renderer == nullptr) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
  if (Renderer == nullptr) return false;
  // Whatever the environment asks for, a present must never wait for the refresh.
  SDL_RenderSetVSync(Renderer, 0);
  return true;
}

void Presenter::Close() {
  Framebuffer = nullptr;  // SDL keeps it with the window
  if (Texture != nullptr) SDL_DestroyTexture(Texture);
  if (Renderer != nullptr) SDL_DestroyRenderer(Renderer);
  Texture = nullptr;
  Renderer = nullptr;
}

Result Presenter::IsLost() const {
  return Lost || (Framebuffer == nullptr && Renderer == nullptr) ? DDERR_SURFACELOST : DD_OK;
}

Result Presenter::Restore() {
  if (IsLost() == DD_OK) return DD_OK;
  const std::vector<uint32_t> picture = CanvasPicture();
  Close();
  const bool opened = Open();
  PlaceCanvas(picture);
  if (!opened) return DDERR_GENERIC;
  Lost = false;
  return DD_OK;
}

void Presenter::MarkLost() { Lost = true; }

Result Presenter::Present(const Surface& backBuffer, uint32_t /*fx*/) {
  if (IsLost() != DD_OK || backBuffer.IsLost() != DD_OK) return DDERR_SURFACELOST;
  bool shown = false;
  if (Framebuffer == nullptr)
    shown = PresentWithRenderer(backBuffer);
  else if (CanvasInFramebuffer() && backBuffer.DrawsInto(*Canvas))
    shown = SDL_UpdateWindowSurface(Window) == 0;  // composed in place
  else
    shown = PresentToFramebuffer(backBuffer);
  if (!shown) {
    Lost = true;
    return DDERR_SURFACELOST;
  }
  PictureWidth = backBuffer.Width();
  PictureHeight = backBuffer.Height();
  ReportFirstPresent();
  return DD_OK;
}

// The window's framebuffer is invalid once the window changed its size; SDL then refuses the
// update, and Restore takes the new framebuffer. Until then the old one is still memory.
bool Presenter::PresentToFramebuffer(const Surface& backBuffer) {
  const SDL_Rect area = PictureArea(Window, backBuffer.Width(), backBuffer.Height(), Framebuffer->w, Framebuffer->h);
  std::optional<Surface> stretched;
  if (Scaled(area, backBuffer)) {
    stretched.emplace(area.w, area.h);
    stretched->Blt(nullptr, backBuffer, nullptr, 0);
  }
  const Surface& picture = stretched ? *stretched : backBuffer;
  // Only a framebuffer larger than the picture has pixels the picture leaves alone.
  if ((Framebuffer->w > area.w || Framebuffer->h > area.h) &&
      SDL_FillRect(Framebuffer, nullptr, SDL_MapRGB(Framebuffer->format, 0, 0, 0)) != 0)
    return false;
  // Same format on both sides is a plain copy of rows; anything else is converted on the way.
  const int width = std::min(area.w, Framebuffer->w);
  const int height = std::min(area.h, Framebuffer->h);
  if (SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, picture.Row(0).data(), picture.Stride() * BytesPerPixel,
                        Framebuffer->format->format, Framebuffer->pixels, Framebuffer->pitch) != 0)
    return false;
  return SDL_UpdateWindowSurface(Window) == 0;
}

bool Presenter::PresentWithRenderer(const Surface& backBuffer) {
  const int width = backBuffer.Width();
  const int height = backBuffer.Height();
  int textureW = 0, textureH = 0;
  if (Texture != nullptr) SDL_QueryTexture(Texture, nullptr, nullptr, &textureW, &textureH);
  if (Texture == nullptr || width != textureW || height != textureH) {
    if (Texture != nullptr) SDL_DestroyTexture(Texture);
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (Texture == nullptr) return false;
  }
  // The whole picture goes up in one call.
  if (SDL_UpdateTexture(Texture, nullptr, backBuffer.Row(0).data(), backBuffer.Stride() * BytesPerPixel) != 0 ||
      !DrawTexture())
    return false;
  SDL_RenderPresent(Renderer);
  return true;
}

bool Presenter::DrawTexture() {
  int textureW = 0, textureH = 0, outputW = 0, outputH = 0;
  if (SDL_QueryTexture(Texture, nullptr, nullptr, &textureW, &textureH) != 0) return false;
  if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return false;
  const SDL_Rect area = PictureArea(Window, textureW, textureH, outputW, outputH);
  if (outputW > area.w || outputH > area.h) {
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    if (SDL_RenderClear(Renderer) != 0) return false;
  }
  return SDL_RenderCopy(Renderer, Texture, nullptr, &area) == 0;
}

Result Presenter::ReadBack(Surface& into) {
  if (IsLost() != DD_OK || into.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (PictureWidth == 0 || into.Width() != PictureWidth || into.Height() != PictureHeight) return DDERR_INVALIDPARAMS;
  int outputW = 0, outputH = 0;
  if (Framebuffer != nullptr) {
    outputW = Framebuffer->w;
    outputH = Framebuffer->h;
  } else if (Texture == nullptr || SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) {
    return DDERR_GENERIC;
  }
  const SDL_Rect area = PictureArea(Window, PictureWidth, PictureHeight, outputW, outputH);
  if (area.w > outputW || area.h > outputH) return DDERR_GENERIC;  // not all of it is on show

  // A scaled picture is read at its size on the screen and brought back to the back buffer's.
  std::optional<Surface> shown;
  if (Scaled(area, into)) shown.emplace(area.w, area.h);
  Surface& read = shown ? *shown : into;
  const int pitch = read.Stride() * BytesPerPixel;
  if (Framebuffer != nullptr) {
    if (SDL_ConvertPixels(area.w, area.h, Framebuffer->format->format, Framebuffer->pixels, Framebuffer->pitch,
                          SDL_PIXELFORMAT_RGB888, read.Row(0).data(), pitch) != 0)
      return DDERR_GENERIC;
  } else if (!DrawTexture() ||
             SDL_RenderReadPixels(Renderer, &area, SDL_PIXELFORMAT_RGB888, read.Row(0).data(), pitch) != 0) {
    return DDERR_GENERIC;
  }
  if (shown) into.Blt(nullptr, *shown, nullptr, 0);
  for (int y = 0; y < into.Height(); ++y)
    for (uint32_t& p : into.Row(y)) p &= ColourMask;
  return DD_OK;
}

}  // namespace platform
