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
  SDL_Surface* source = loaded.get();
  // A palette picture is first made a true-colour one; the others convert straight into the
  // bitmap's pixels.
  SurfacePtr unpaletted;
  if (SDL_ISPIXELFORMAT_INDEXED(source->format->format)) {
    unpaletted.reset(SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_RGB888, 0));
    if (!unpaletted) return std::nullopt;
    source = unpaletted.get();
  }
  if (SDL_MUSTLOCK(source) && SDL_LockSurface(source) != 0) return std::nullopt;

  Bitmap bitmap;
  bitmap.Width = source->w;
  bitmap.Height = source->h;
  bitmap.Pixels.resize(static_cast<std::size_t>(source->w) * static_cast<std::size_t>(source->h));
  // RGB888 is 32 bits per pixel laid out as 0x00RRGGBB, the surface format. Converting
  // copies without blending, so a 32-bit picture's alpha byte never darkens a colour.
  const int converted = SDL_ConvertPixels(source->w, source->h, source->format->format, source->pixels, source->pitch,
                                          SDL_PIXELFORMAT_RGB888, bitmap.Pixels.data(), source->w * 4);
  if (SDL_MUSTLOCK(source)) SDL_UnlockSurface(source);
  if (converted != 0) return std::nullopt;
  for (uint32_t& p : bitmap.Pixels) p &= ColourMask;
  return bitmap;
}

std::optional<Bitmap> LoadBitmapResource(std::string_view name) {
  const auto bytes = FindResource(name);
  if (!bytes) return std::nullopt;
  std::optional<Bitmap> bitmap = DecodeBitmap(*bytes);
  ReleaseResourcePages();  // decoded: the file's bytes are not needed until a reload
  return bitmap;
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
