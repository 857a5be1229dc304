// Pictures in the BMP format (24-bit or 32-bit, bottom-up or top-down), decoded into pixels
// of the surface format and drawn into surfaces.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Graphics.h"

namespace platform {

struct Bitmap {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows from the top, Width pixels each
};

// Nothing when the bytes are not a readable BMP picture or are larger than a surface can be.
std::optional<Bitmap> DecodeBitmap(std::span<const uint8_t> bytes);

// The embedded bitmap resource of that name, decoded; nothing when absent or unreadable. The
// resource's pages are released once it is decoded.
std::optional<Bitmap> LoadBitmapResource(std::string_view name);

// The embedded bitmap resource of that name decoded straight into a new surface with that
// colour key: no second full-size copy of the picture is made. Null when absent or unreadable.
// The resource's pages are released once it is decoded.
std::unique_ptr<Surface> LoadSurfaceResource(std::string_view name, std::optional<uint32_t> colourKey);

// Draws the picture into the surface at (0, 0), unscaled; what lies outside is cut off.
// DDERR_SURFACELOST when the surface has no memory.
Result DrawBitmap(const Bitmap& bitmap, Surface& surface);

}  // namespace platform
