// Off-screen surfaces of 32-bit pixels (0x00RRGGBB) and their stretched, colour-keyed and mirrored
// copies, with result codes (0 success) for the game's drawing code, which restores lost surfaces.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace platform {

using Result = int32_t;
constexpr Result DD_OK = 0;
constexpr Result DDERR_INVALIDRECT = static_cast<Result>(0x88760096u);
constexpr Result DDERR_NOCOLORKEY = static_cast<Result>(0x887600D7u);
constexpr Result DDERR_SURFACELOST = static_cast<Result>(0x887601C2u);
constexpr Result DDERR_WRONGMODE = static_cast<Result>(0x8876024Bu);

// Blt flags. Blits are synchronous, so DDBLT_WAIT is accepted and changes nothing.
constexpr uint32_t DDBLT_WAIT = 0x01000000u;
constexpr uint32_t DDBLT_KEYSRC = 0x00008000u;
constexpr uint32_t DDBLT_DDFX = 0x00000800u;
// Effects, honoured when DDBLT_DDFX is among the flags.
constexpr uint32_t DDBLTFX_MIRRORLEFTRIGHT = 0x00000002u;
constexpr uint32_t DDBLTFX_MIRRORUPDOWN = 0x00000004u;
constexpr uint32_t DDBLTFX_NOTEARING = 0x00000008u;

// Only the low 24 bits of a pixel carry colour; the top byte is always zero.
constexpr uint32_t ColourMask = 0x00FFFFFFu;

// A rectangle of pixels; right and bottom are exclusive.
struct Rect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

class Surface {
 public:
  static constexpr int MaxSide = 16384;

  // A plain surface, or one with a source colour key (low and high end of the range alike).
  // Throws std::invalid_argument for a side outside 1..MaxSide. New pixels are black.
  Surface(int width, int height, std::optional<uint32_t> colourKey = std::nullopt);

  int Width() const { return W; }
  int Height() const { return H; }
  std::optional<uint32_t> ColourKey() const { return Key; }

  // Copies src's rectangle onto this surface's, stretched to it (nearest pixel); null means the
  // whole surface. DDBLT_KEYSRC skips source pixels of src's colour key. What lies outside either
  // surface is clipped away, the rest mapping as without clipping; a blit within one surface reads
  // each pixel as the copy reaches it (the game draws none). DDERR_SURFACELOST when either surface
  // is lost, DDERR_INVALIDRECT for an empty or inverted rectangle, DDERR_NOCOLORKEY for a keyed
  // blit from an unkeyed source; a failed blit changes nothing.
  Result Blt(const Rect* dest, const Surface& src, const Rect* srcRect, uint32_t flags, uint32_t fx = 0);

  Result IsLost() const { return Pixels == nullptr ? DDERR_SURFACELOST : DD_OK; }
  // Gives a lost surface its memory back, black; one that is not lost keeps its pixels.
  Result Restore();
  // Takes the memory away, as the display system may do to any surface at any time. The
  // memory really goes, so a stale pointer into it shows up under the sanitizers.
  void MarkLost() { Pixels.reset(); }

  // One row of pixels; empty when the surface is lost or y is outside it. Rows follow each
  // other in memory, Width() pixels apart.
  std::span<uint32_t> Row(int y);
  std::span<const uint32_t> Row(int y) const { return const_cast<Surface*>(this)->Row(y); }

 private:
  int W, H;
  std::optional<uint32_t> Key;
  std::unique_ptr<uint32_t[]> Pixels;  // null while lost
};

}  // namespace platform
