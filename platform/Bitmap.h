// Pictures in the BMP format (24-bit or 32-bit, bottom-up or top-down), decoded into surfaces.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/Graphics.h"

namespace platform {

// A new surface with that colour key holding the picture; null when the bytes are not a
// readable BMP picture or are larger than a surface can be.
std::unique_ptr<Surface> DecodeBitmap(std::span<const uint8_t> bytes, std::optional<uint32_t> colourKey = {});

// The embedded bitmap resource of that name, decoded; null when absent or unreadable. The
// resource's pages are released once it is decoded.
std::unique_ptr<Surface> LoadSurfaceResource(std::string_view name, std::optional<uint32_t> colourKey = {});

}  // namespace platform
