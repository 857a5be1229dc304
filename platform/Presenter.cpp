#include "platform/Presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

std::size_t At(int x, int y, int width) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
}

// What changed against the picture as it was (row y of it at shownRow(y)): bands of changed rows,
// each as wide as the changes in it reach. A rising bubble is a band of two cells, not the
// whole picture.
template <typename ShownRow>
std::vector<Rect> ChangedParts(const Surface& picture, ShownRow shownRow) {
  std::vector<Rect> parts;
  const int width = picture.Width();
  for (int y = 0; y < picture.Height(); ++y) {
    const uint32_t* now = picture.Row(y).data();
    const uint32_t* was = shownRow(y);
    if (std::memcmp(now, was, static_cast<std::size_t>(width) * sizeof(uint32_t)) == 0) continue;
    int left = 0, right = width;
    while (now[left] == was[left]) ++left;
    while (now[right - 1] == was[right - 1]) --right;
    if (!parts.empty() && parts.back().Bottom == y) {
      Rect& band = parts.back();
      band = {std::min(band.Left, left), band.Top, std::max(band.Right, right), y + 1};
    } else {
      parts.push_back({left, y, right, y + 1});
    }
  }
  return parts;
}

Rect Intersection(const Rect& a, const Rect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

}  // namespace

Placement PlacePicture(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight) {
  const int scale = std::max(1, std::min(outputWidth / pictureWidth, outputHeight / pictureHeight));
  // An output smaller than the picture (a window manager that ignores the minimum size) shows
  // its top-left part.
  return {std::max(0, (outputWidth - pictureWidth * scale) / 2),
          std::max(0, (outputHeight - pictureHeight * scale) / 2), scale};
}

void ScalePicture(const Surface& picture, const Rect& part, const Placement& at, void* pixels, int pitch,
                  uint32_t format) {
  const int n = at.Scale;
  const int width = part.Width() * n;
  const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(uint32_t);
  // The picture's own format is written in place; any other goes through one converted row.
  const bool same = format == SDL_PIXELFORMAT_RGB888;
  std::vector<uint32_t> line(same ? 0 : static_cast<std::size_t>(width));
  auto* left = static_cast<uint8_t*>(pixels) + static_cast<std::size_t>(at.X + part.Left * n) * BytesPerPixel;
  for (int y = part.Top; y < part.Bottom; ++y) {
    uint8_t* first = left + static_cast<std::size_t>(at.Y + y * n) * static_cast<std::size_t>(pitch);
    uint32_t* out = same ? reinterpret_cast<uint32_t*>(first) : line.data();
    const uint32_t* in = picture.Row(y).data() + part.Left;
    for (int x = 0; x < part.Width(); ++x) std::fill_n(out + static_cast<std::size_t>(x) * n, n, in[x]);
    if (!same) SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_RGB888, out, width * BytesPerPixel, format, first, pitch);
    for (int k = 1; k < n; ++k) std::memcpy(first + static_cast<std::size_t>(k * pitch), first, bytes);
  }
}

Presenter::Presenter(SDL_Window* window, uint32_t borderColour) : Window(window), Border(borderColour & ColourMask) {
  if (window == nullptr) throw std::runtime_error("no window to present into");
  if (!Open()) throw std::runtime_error(std::string("cannot draw into the window: ") + SDL_GetError());
}

Presenter::Presenter(uint32_t windowId, uint32_t borderColour)
    : Presenter(SDL_GetWindowFromID(windowId), borderColour) {}

Presenter::~Presenter() { Close(); }

bool Presenter::Open() {
  // Asked for a window's framebuffer, SDL would rather put a GPU renderer behind it on X11;
  // the plain shared-memory image is all this picture needs. A user's own setting still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Framebuffer = SDL_GetWindowSurface(Window);
  // The scaler writes pixels of 32 bits; a framebuffer of other pixels goes the renderer's way.
  if (Framebuffer != nullptr && Framebuffer->format->BytesPerPixel == BytesPerPixel) return true;
  Framebuffer = nullptr;
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
  Fresh = true;
}

Result Presenter::IsLost() const {
  return Lost || (Framebuffer == nullptr && Renderer == nullptr) ? DDERR_SURFACELOST : DD_OK;
}

Result Presenter::Restore() {
  if (IsLost() == DD_OK) return DD_OK;
  Close();
  if (!Open()) return DDERR_GENERIC;
  Lost = false;
  return DD_OK;
}

void Presenter::MarkLost() { Lost = true; }

Result Presenter::Present(const Surface& picture, uint32_t /*fx*/) {
  if (IsLost() != DD_OK || picture.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (!(Framebuffer != nullptr ? PresentToFramebuffer(picture) : PresentWithRenderer(picture))) {
    Lost = true;
    return DDERR_SURFACELOST;
  }
  ReportFirstPresent();
  return DD_OK;
}

// The window's framebuffer is invalid once the window changed its size; SDL then refuses the
// update, and Restore takes the new framebuffer. Until then the old one is still memory.
bool Presenter::PresentToFramebuffer(const Surface& picture) {
  const int width = picture.Width(), height = picture.Height();
  const Placement at = PlacePicture(width, height, Framebuffer->w, Framebuffer->h);
  const Rect visible{0, 0, std::min(width, (Framebuffer->w - at.X) / at.Scale),
                     std::min(height, (Framebuffer->h - at.Y) / at.Scale)};
  const bool whole = Fresh || at != Where || ShownWidth != width || ShownHeight != height;
  // Unscaled, whole and in the picture's own format, the framebuffer itself holds what was
  // shown; otherwise a copy of it is kept.
  const bool inPlace = at.Scale == 1 && visible == Rect{0, 0, width, height} &&
                       Framebuffer->format->format == SDL_PIXELFORMAT_RGB888;
  const auto shownRow = [&](int y) -> const uint32_t* {
    if (!inPlace) return Last.data() + At(0, y, width);
    const auto* row = static_cast<const uint8_t*>(Framebuffer->pixels) +
                      static_cast<std::size_t>(at.Y + y) * static_cast<std::size_t>(Framebuffer->pitch);
    return reinterpret_cast<const uint32_t*>(row) + at.X;
  };
  const std::vector<Rect> parts = whole ? std::vector<Rect>{visible} : ChangedParts(picture, shownRow);
  const uint32_t border = SDL_MapRGB(Framebuffer->format, static_cast<uint8_t>(Border >> 16),
                                     static_cast<uint8_t>(Border >> 8), static_cast<uint8_t>(Border));
  if (whole && SDL_FillRect(Framebuffer, nullptr, border) != 0) return false;
  std::vector<SDL_Rect> sent;
  for (const Rect& changed : parts) {
    const Rect part = Intersection(changed, visible);
    if (part.Width() <= 0 || part.Height() <= 0) continue;
    ScalePicture(picture, part, at, Framebuffer->pixels, Framebuffer->pitch, Framebuffer->format->format);
    sent.push_back({at.X + part.Left * at.Scale, at.Y + part.Top * at.Scale, part.Width() * at.Scale,
                    part.Height() * at.Scale});
  }
  Where = at;
  ShownWidth = width;
  ShownHeight = height;
  Fresh = false;
  if (inPlace)
    std::vector<uint32_t>().swap(Last);
  else
    Last.assign(picture.Row(0).data(), picture.Row(0).data() + At(0, height, width));
  // Nothing changed: the window asked for its picture again, and it is all still there.
  if (whole || parts.empty()) return SDL_UpdateWindowSurface(Window) == 0;
  return SDL_UpdateWindowSurfaceRects(Window, sent.data(), static_cast<int>(sent.size())) == 0;
}

bool Presenter::PresentWithRenderer(const Surface& picture) {
  const int width = picture.Width(), height = picture.Height();
  int textureW = 0, textureH = 0, outputW = 0, outputH = 0;
  if (Texture != nullptr) SDL_QueryTexture(Texture, nullptr, nullptr, &textureW, &textureH);
  if (Texture == nullptr || width != textureW || height != textureH) {
    if (Texture != nullptr) SDL_DestroyTexture(Texture);
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (Texture == nullptr) return false;
    SDL_SetTextureScaleMode(Texture, SDL_ScaleModeNearest);
  }
  if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return false;
  Where = PlacePicture(width, height, outputW, outputH);
  const SDL_Rect area{Where.X, Where.Y, width * Where.Scale, height * Where.Scale};
  SDL_SetRenderDrawColor(Renderer, static_cast<uint8_t>(Border >> 16), static_cast<uint8_t>(Border >> 8),
                         static_cast<uint8_t>(Border), 255);
  // The whole picture goes up in one call.
  if (SDL_UpdateTexture(Texture, nullptr, picture.Row(0).data(), width * BytesPerPixel) != 0 ||
      SDL_RenderClear(Renderer) != 0 || SDL_RenderCopy(Renderer, Texture, nullptr, &area) != 0)
    return false;
  SDL_RenderPresent(Renderer);
  return true;
}

}  // namespace platform
