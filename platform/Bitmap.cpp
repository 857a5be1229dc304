#include "platform/Bitmap.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/Resources.h"

namespace platform {
namespace {

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Decodes into the pixels that place(width, height) hands out as {first pixel, stride}: rows
// from the top, 0x00RRGGBB. False when the bytes are not a readable picture of a surface's size.
template <typename Place>
bool Decode(std::span<const uint8_t> bytes, Place place) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return false;
  SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
  if (!loaded) return false;
  if (loaded->w < 1 || loaded->h < 1 || loaded->w > Surface::MaxSide || loaded->h > Surface::MaxSide) return false;
  SDL_Surface* source = loaded.get();
  // A palette picture is first made a true-colour one; the others convert straight into the
  // destination's pixels.
  SurfacePtr unpaletted;
  if (SDL_ISPIXELFORMAT_INDEXED(source->format->format)) {
    unpaletted.reset(SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_RGB888, 0));
    if (!unpaletted) return false;
    source = unpaletted.get();
  }
  if (SDL_MUSTLOCK(source) && SDL_LockSurface(source) != 0) return false;
  const auto [pixels, stride] = place(source->w, source->h);
  // RGB888 is 32 bits per pixel laid out as 0x00RRGGBB, the surface format. Converting
  // copies without blending, so a 32-bit picture's alpha byte never darkens a colour.
  const int converted = SDL_ConvertPixels(source->w, source->h, source->format->format, source->pixels,
                                          source->pitch, SDL_PIXELFORMAT_RGB888, pixels, stride * 4);
  if (SDL_MUSTLOCK(source)) SDL_UnlockSurface(source);
  if (converted != 0) return false;
  for (int y = 0; y < source->h; ++y) {
    uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    for (int x = 0; x < source->w; ++x) row[x] &= ColourMask;
  }
  return true;
}

}  // namespace

std::optional<Bitmap> DecodeBitmap(std::span<const uint8_t> bytes) {
  Bitmap bitmap;
  const bool decoded = Decode(bytes, [&](int width, int height) {
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return std::pair{bitmap.Pixels.data(), width};
  });
  if (!decoded) return std::nullopt;
  return bitmap;
}

std::optional<Bitmap> LoadBitmapResource(std::string_view name) {
  const auto bytes = FindResource(name);
  if (!bytes) return std::nullopt;
  std::optional<Bitmap> bitmap = DecodeBitmap(*bytes);
  ReleaseResourcePages();  // decoded: the file's bytes are not needed until a reload
  return bitmap;
}

std::unique_ptr<Surface> LoadSurfaceResource(std::string_view name, std::optional<uint32_t> colourKey) {
  const auto bytes = FindResource(name);
  if (!bytes) return nullptr;
  std::unique_ptr<Surface> surface;
  const bool decoded = Decode(*bytes, [&](int width, int height) {
    surface = std::make_unique<Surface>(width, height, colourKey);
    return std::pair{surface->Row(0).data(), surface->Width()};
  });
  ReleaseResourcePages();
  if (!decoded) return nullptr;
  return surface;
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
