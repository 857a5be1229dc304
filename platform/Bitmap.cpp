#include "platform/Bitmap.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Resources.h"

namespace platform {
namespace {

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

}  // namespace

std::optional<Bitmap> DecodeBitmap(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return std::nullopt;
  SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
  if (!loaded) return std::nullopt;
  if (loaded->w < 1 || loaded->h < 1 || loaded->w > Surface::MaxSide || loaded->h > Surface::MaxSide)
    return std::nullopt;
  // RGB888 is 32 bits per pixel laid out as 0x00RRGGBB, the surface format. Converting
  // copies without blending, so a 32-bit picture's alpha byte never darkens a colour.
  SurfacePtr converted(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB888, 0));
  if (!converted) return std::nullopt;
  if (SDL_MUSTLOCK(converted.get()) && SDL_LockSurface(converted.get()) != 0) return std::nullopt;

  Bitmap bitmap;
  bitmap.Width = converted->w;
  bitmap.Height = converted->h;
  const auto width = static_cast<std::size_t>(converted->w);
  bitmap.Pixels.resize(width * static_cast<std::size_t>(converted->h));
  const auto* base = static_cast<const uint8_t*>(converted->pixels);
  for (int y = 0; y < converted->h; ++y) {
    const uint8_t* row = base + static_cast<std::size_t>(y) * static_cast<std::size_t>(converted->pitch);
    uint32_t* out = bitmap.Pixels.data() + static_cast<std::size_t>(y) * width;
    std::memcpy(out, row, width * sizeof(uint32_t));
    for (std::size_t x = 0; x < width; ++x) out[x] &= ColourMask;
  }
  if (SDL_MUSTLOCK(converted.get())) SDL_UnlockSurface(converted.get());
  return bitmap;
}

std::optional<Bitmap> LoadBitmapResource(std::string_view name) {
  const auto bytes = FindResource(name);
  if (!bytes) return std::nullopt;
  return DecodeBitmap(*bytes);
}

Result DrawBitmap(const Bitmap& bitmap, Surface& surface) {
  if (surface.IsLost() != DD_OK) return DDERR_SURFACELOST;
  if (bitmap.Width < 0 || bitmap.Height < 0 ||
      bitmap.Pixels.size() < static_cast<std::size_t>(bitmap.Width) * static_cast<std::size_t>(bitmap.Height))
    return DDERR_INVALIDPARAMS;
  const int rows = std::min(bitmap.Height, surface.Height());
  const auto columns = static_cast<std::size_t>(std::min(bitmap.Width, surface.Width()));
  for (int y = 0; y < rows; ++y) {
    const uint32_t* from = bitmap.Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.Width);
    std::memcpy(surface.Row(y).data(), from, columns * sizeof(uint32_t));
  }
  return DD_OK;
}

}  // namespace platform
