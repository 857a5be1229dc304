#include "platform/Bitmap.h"

#include <SDL.h>

#include "platform/Resources.h"

namespace platform {

std::unique_ptr<Surface> DecodeBitmap(std::span<const uint8_t> bytes, std::optional<uint32_t> colourKey) {
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));  // null when empty
  if (rw == nullptr) return nullptr;
  const std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> loaded(SDL_LoadBMP_RW(rw, 1), SDL_FreeSurface);
  if (!loaded || loaded->w < 1 || loaded->h < 1 || loaded->w > Surface::MaxSide || loaded->h > Surface::MaxSide)
    return nullptr;
  auto surface = std::make_unique<Surface>(loaded->w, loaded->h, colourKey);
  uint32_t* const pixels = surface->Row(0).data();
  // Converted straight into the surface's pixels, so no second full-size copy of the picture is
  // made. RGB888 is 32 bits per pixel laid out as 0x00RRGGBB, the surface format. Converting
  // copies without blending, so a 32-bit picture's alpha byte never darkens a colour; palette
  // pictures do not convert and are refused.
  if (SDL_ConvertPixels(loaded->w, loaded->h, loaded->format->format, loaded->pixels, loaded->pitch,
                        SDL_PIXELFORMAT_RGB888, pixels, loaded->w * 4) != 0)
    return nullptr;
  for (uint32_t& pixel : std::span(pixels, static_cast<std::size_t>(loaded->w) * static_cast<std::size_t>(loaded->h)))
    pixel &= ColourMask;
  return surface;
}

std::unique_ptr<Surface> LoadSurfaceResource(std::string_view name, std::optional<uint32_t> colourKey) {
  const auto bytes = FindResource(name);
  if (!bytes) return nullptr;
  std::unique_ptr<Surface> surface = DecodeBitmap(*bytes, colourKey);
  ReleaseResourcePages();  // decoded: the file's bytes are not needed until a reload
  return surface;
}

}  // namespace platform
