#include "platform/Presenter.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/Scale.h"

namespace platform {
namespace {

constexpr int BytesPerPixel = static_cast<int>(sizeof(uint32_t));

// With HUEBLOC_TIMING set (and not "0"), the wall-clock time of the first picture that reached
// the screen goes to stderr once, for start-up measurements to compare with their launch stamp.
void ReportFirstPresent() {
  static bool reported = false;  // main thread only
  if (std::exchange(reported, true)) return;
  const char* wanted = std::getenv("HUEBLOC_TIMING");
  if (wanted == nullptr || *wanted == '\0' || std::strcmp(wanted, "0") == 0) return;
  const std::chrono::nanoseconds now = std::chrono::system_clock::now().time_since_epoch();
  std::fprintf(stderr, "huebloc: first present at %lld ns\n", static_cast<long long>(now.count()));
}

// What changed in the visible part of the picture against what was shown (its rows wasPitch
// bytes apart): bands of changed rows, each as wide as the changes in it reach. A rising bubble
// is a band of two cells, not the whole picture.
std::vector<Rect> ChangedParts(const Surface& picture, const Rect& visible, const uint8_t* was, std::size_t wasPitch) {
  std::vector<Rect> parts;
  const int width = visible.Right;
  for (int y = 0; y < visible.Bottom; ++y, was += wasPitch) {
    const uint32_t* now = picture.Row(y).data();
    const auto* then = reinterpret_cast<const uint32_t*>(was);
    if (std::memcmp(now, then, static_cast<std::size_t>(width) * sizeof(uint32_t)) == 0) continue;
    int left = 0, right = width;
    while (now[left] == then[left]) ++left;
    while (now[right - 1] == then[right - 1]) --right;
    if (!parts.empty() && parts.back().Bottom == y)
      parts.back() = {std::min(parts.back().Left, left), parts.back().Top, std::max(parts.back().Right, right), y + 1};
    else
      parts.push_back({left, y, right, y + 1});
  }
  return parts;
}

// At the largest whole scale that fits the output. An output smaller than the picture (a window
// manager that ignores the minimum size) shows its top-left part.
Placement PlacePicture(int outputWidth, int outputHeight) {
  const int scale = LargestScale(outputWidth, outputHeight);
  return {std::max(0, (outputWidth - PictureWidth * scale) / 2),
          std::max(0, (outputHeight - PictureHeight * scale) / 2), scale};
}

}  // namespace

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

Presenter::Presenter(uint32_t windowId, uint32_t borderColour)
    : Window(SDL_GetWindowFromID(windowId)), Border(borderColour & ColourMask) {
  if (Window == nullptr) throw std::runtime_error("no window to present into");
  if (!Open()) throw std::runtime_error(std::string("cannot draw into the window: ") + SDL_GetError());
}

Presenter::~Presenter() { Close(); }

bool Presenter::Open() {
  // Asked for a window's framebuffer, SDL would rather put a GPU renderer behind it on X11;
  // the plain shared-memory image is all this picture needs. A user's own setting still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Framebuffer = SDL_GetWindowSurface(Window);
  // The scaler writes pixels of 32 bits; a framebuffer of other pixels goes the renderer's way.
  if (Framebuffer != nullptr && Framebuffer->format->BytesPerPixel == BytesPerPixel) return true;
  Framebuffer = nullptr;
  // The first renderer that works, the accelerated ones before software.
  Renderer = SDL_CreateRenderer(Window, -1, 0);
  if (Renderer == nullptr) return false;
  // Whatever the environment asks for, a present must never wait for the refresh.
  SDL_RenderSetVSync(Renderer, 0);
  return true;
}

void Presenter::Close() {
  Framebuffer = nullptr;  // SDL keeps it with the window
  if (Renderer != nullptr) SDL_DestroyRenderer(std::exchange(Renderer, nullptr));  // and its texture with it
  Texture = nullptr;
  Where = {};
}

Result Presenter::Restore() {
  if (!Lost) return DD_OK;
  Close();
  Lost = !Open();
  return IsLost();
}

Result Presenter::Present(const Surface& picture, uint32_t /*fx*/) {
  if (picture.Width() != PictureWidth || picture.Height() != PictureHeight) return DDERR_INVALIDRECT;
  if (IsLost() != DD_OK || picture.IsLost() != DD_OK) return DDERR_SURFACELOST;
  Lost = !(Framebuffer != nullptr ? PresentToFramebuffer(picture) : PresentWithRenderer(picture));
  if (Lost) return DDERR_SURFACELOST;
  ReportFirstPresent();
  return DD_OK;
}

// The window's framebuffer is invalid once the window changed its size; SDL then refuses the
// update, and Restore takes the new framebuffer. Until then the old one is still memory.
bool Presenter::PresentToFramebuffer(const Surface& picture) {
  const Placement at = PlacePicture(Framebuffer->w, Framebuffer->h);
  const Rect visible{0, 0, std::min(PictureWidth, (Framebuffer->w - at.X) / at.Scale),
                     std::min(PictureHeight, (Framebuffer->h - at.Y) / at.Scale)};
  const bool whole = at != Where;
  // Unscaled, whole and in the picture's own format, the framebuffer itself holds what was
  // shown; otherwise a copy of it is kept.
  const bool inPlace = at.Scale == 1 && visible == Rect{0, 0, PictureWidth, PictureHeight} &&
                       Framebuffer->format->format == SDL_PIXELFORMAT_RGB888;
  const auto pitch = static_cast<std::size_t>(inPlace ? Framebuffer->pitch : PictureWidth * BytesPerPixel);
  const auto* shown = inPlace ? static_cast<const uint8_t*>(Framebuffer->pixels) + at.Y * pitch + at.X * BytesPerPixel
                              : reinterpret_cast<const uint8_t*>(Last.data());
  const std::vector<Rect> parts = whole ? std::vector<Rect>{visible} : ChangedParts(picture, visible, shown, pitch);
  const uint32_t border = SDL_MapRGB(Framebuffer->format, static_cast<uint8_t>(Border >> 16),
                                     static_cast<uint8_t>(Border >> 8), static_cast<uint8_t>(Border));
  if (whole && SDL_FillRect(Framebuffer, nullptr, border) != 0) return false;
  std::vector<SDL_Rect> sent;
  for (const Rect& part : parts) {
    ScalePicture(picture, part, at, Framebuffer->pixels, Framebuffer->pitch, Framebuffer->format->format);
    sent.push_back({at.X + part.Left * at.Scale, at.Y + part.Top * at.Scale, part.Width() * at.Scale,
                    part.Height() * at.Scale});
  }
  Where = at;
  if (inPlace)
    std::vector<uint32_t>().swap(Last);
  else
    Last.assign(picture.Row(0).data(), picture.Row(0).data() + PictureWidth * PictureHeight);
  // Nothing changed: the window asked for its picture again, and it is all still there.
  if (whole || parts.empty()) return SDL_UpdateWindowSurface(Window) == 0;
  return SDL_UpdateWindowSurfaceRects(Window, sent.data(), static_cast<int>(sent.size())) == 0;
}

bool Presenter::PresentWithRenderer(const Surface& picture) {
  if (Texture == nullptr) {
    Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, PictureWidth,
                                PictureHeight);
    if (Texture == nullptr) return false;
    SDL_SetTextureScaleMode(Texture, SDL_ScaleModeNearest);
  }
  int outputW = 0, outputH = 0;
  if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return false;
  Where = PlacePicture(outputW, outputH);
  const SDL_Rect area{Where.X, Where.Y, PictureWidth * Where.Scale, PictureHeight * Where.Scale};
  SDL_SetRenderDrawColor(Renderer, static_cast<uint8_t>(Border >> 16), static_cast<uint8_t>(Border >> 8),
                         static_cast<uint8_t>(Border), 255);
  if (SDL_UpdateTexture(Texture, nullptr, picture.Row(0).data(), PictureWidth * BytesPerPixel) != 0 ||
      SDL_RenderClear(Renderer) != 0 || SDL_RenderCopy(Renderer, Texture, nullptr, &area) != 0)
    return false;
  SDL_RenderPresent(Renderer);
  return true;
}

}  // namespace platform
