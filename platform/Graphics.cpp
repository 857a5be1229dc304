#include "platform/Graphics.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace {

// Coordinates beyond this are refused, which keeps the stretch arithmetic inside 64 bits.
constexpr int64_t MaxCoordinate = int64_t{1} << 24;

// Which source pixel each destination pixel of one axis takes, after clipping.
struct AxisMap {
  int32_t DestFirst = 0;
  int32_t Count = 0;
  // Unscaled axes step through the source by +1 or -1 (mirrored) from SrcFirst;
  // stretched ones (Step 0) look the source coordinate up in Table.
  int32_t SrcFirst = 0;
  int32_t Step = 0;
  const int32_t* Table = nullptr;

  int32_t Source(int32_t k) const { return Step != 0 ? SrcFirst + Step * k : Table[k]; }
};

bool InRange(int64_t v) { return v >= -MaxCoordinate && v <= MaxCoordinate; }

// Maps destination pixels d0..d1 onto source pixels s0..s1 (both ends exclusive), sampling
// the source at each destination pixel's centre, then drops the destination pixels that
// fall outside the destination or take a source pixel outside the source. Both are a run
// at either end, because the mapping is monotonic. False when nothing is left.
bool MapAxis(int64_t d0, int64_t d1, int64_t destLimit, int64_t s0, int64_t s1, int64_t srcLimit, bool mirror,
             std::vector<int32_t>& table, AxisMap& out) {
  const int64_t dw = d1 - d0;
  const int64_t sw = s1 - s0;
  auto sourceOf = [&](int64_t i) {
    int64_t j = sw == dw ? i : ((2 * i + 1) * sw) / (2 * dw);
    if (mirror) j = sw - 1 - j;
    return s0 + j;
  };
  auto sourceInside = [&](int64_t i) {
    const int64_t s = sourceOf(i);
    return s >= 0 && s < srcLimit;
  };
  int64_t lo = std::max<int64_t>(0, -d0);
  int64_t hi = std::min<int64_t>(dw, destLimit - d0);
  while (lo < hi && !sourceInside(lo)) ++lo;
  while (hi > lo && !sourceInside(hi - 1)) --hi;
  if (lo >= hi) return false;

  out.DestFirst = static_cast<int32_t>(d0 + lo);
  out.Count = static_cast<int32_t>(hi - lo);
  out.SrcFirst = static_cast<int32_t>(sourceOf(lo));
  if (sw == dw) {
    out.Step = mirror ? -1 : 1;
    out.Table = nullptr;
  } else {
    out.Step = 0;
    table.resize(static_cast<std::size_t>(out.Count));
    for (int32_t k = 0; k < out.Count; ++k) table[static_cast<std::size_t>(k)] = static_cast<int32_t>(sourceOf(lo + k));
    out.Table = table.data();
  }
  return true;
}

// One destination row. Keyed copies leave the destination pixel wherever the source holds
// the key; written without a branch so the compiler can vectorise it.
void CopyRowOpaque(uint32_t* d, const uint32_t* s, const AxisMap& x) {
  const int32_t n = x.Count;
  if (x.Step == 1) {
    std::memcpy(d, s + x.SrcFirst, static_cast<std::size_t>(n) * sizeof(uint32_t));
  } else if (x.Step == -1) {
    const uint32_t* from = s + x.SrcFirst;
    for (int32_t i = 0; i < n; ++i) d[i] = from[-i];
  } else {
    for (int32_t i = 0; i < n; ++i) d[i] = s[x.Table[i]];
  }
}

void CopyRowKeyed(uint32_t* d, const uint32_t* s, const AxisMap& x, uint32_t key) {
  const int32_t n = x.Count;
  if (x.Step == 1) {
    const uint32_t* from = s + x.SrcFirst;
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t p = from[i];
      d[i] = (p & ColourMask) == key ? d[i] : p;
    }
  } else if (x.Step == -1) {
    const uint32_t* from = s + x.SrcFirst;
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t p = from[-i];
      d[i] = (p & ColourMask) == key ? d[i] : p;
    }
  } else {
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t p = s[x.Table[i]];
      d[i] = (p & ColourMask) == key ? d[i] : p;
    }
  }
}

void CheckSize(int width, int height) {
  if (width < 1 || height < 1 || width > Surface::MaxSide || height > Surface::MaxSide)
    throw std::invalid_argument("surface size " + std::to_string(width) + "x" + std::to_string(height));
}

std::size_t PixelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Zeroed: black.
std::unique_ptr<uint32_t[]> NewPixels(int width, int height) {
  return std::make_unique<uint32_t[]>(PixelCount(width, height));
}

}  // namespace

Surface::Surface(int width, int height, std::optional<uint32_t> colourKey) : W(width), H(height) {
  CheckSize(width, height);
  if (colourKey) Key = *colourKey & ColourMask;
  Pixels = NewPixels(width, height);
}

Surface::Surface(const Surface& other) : W(other.W), H(other.H), Key(other.Key) {
  if (other.Pixels == nullptr) return;
  Pixels = std::make_unique_for_overwrite<uint32_t[]>(PixelCount(W, H));
  std::copy_n(other.Pixels.get(), PixelCount(W, H), Pixels.get());
}

Surface& Surface::operator=(const Surface& other) {
  if (this != &other) {
    Surface copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Result Surface::IsLost() const { return Pixels == nullptr ? DDERR_SURFACELOST : DD_OK; }

Result Surface::Restore() {
  if (Pixels == nullptr) Pixels = NewPixels(W, H);
  return DD_OK;
}

// The memory really goes, so a stale pointer into it shows up under the sanitizers.
void Surface::MarkLost() { Pixels.reset(); }

std::span<uint32_t> Surface::Row(int y) {
  if (Pixels == nullptr || y < 0 || y >= H) return {};
  return {Pixels.get() + PixelCount(W, y), static_cast<std::size_t>(W)};
}

std::span<const uint32_t> Surface::Row(int y) const {
  if (Pixels == nullptr || y < 0 || y >= H) return {};
  return {Pixels.get() + PixelCount(W, y), static_cast<std::size_t>(W)};
}

Result Surface::Blt(const Rect* dest, const Surface& src, const Rect* srcRect, uint32_t flags, uint32_t fx) {
  uint32_t* const destPixels = Pixels.get();
  const uint32_t* const srcPixels = src.Pixels.get();
  if (destPixels == nullptr || srcPixels == nullptr) return DDERR_SURFACELOST;
  const Rect d = dest != nullptr ? *dest : Rect{0, 0, W, H};
  const Rect s = srcRect != nullptr ? *srcRect : Rect{0, 0, src.W, src.H};
  for (const Rect* r : {&d, &s}) {
    if (!InRange(r->Left) || !InRange(r->Top) || !InRange(r->Right) || !InRange(r->Bottom)) return DDERR_INVALIDRECT;
    if (r->Width() <= 0 || r->Height() <= 0) return DDERR_INVALIDRECT;
  }
  const bool keyed = (flags & DDBLT_KEYSRC) != 0;
  if (keyed && !src.Key) return DDERR_NOCOLORKEY;
  const uint32_t effects = (flags & DDBLT_DDFX) != 0 ? fx : 0;
  const bool mirrorX = (effects & DDBLTFX_MIRRORLEFTRIGHT) != 0;
  const bool mirrorY = (effects & DDBLTFX_MIRRORUPDOWN) != 0;

  // A blit within one surface reads from a snapshot, so overlapping rectangles copy cleanly.
  if (&src == this) {
    const Surface snapshot = src;
    return Blt(&d, snapshot, &s, flags, fx);
  }

  thread_local std::vector<int32_t> xTable;
  thread_local std::vector<int32_t> yTable;
  AxisMap x;
  AxisMap y;
  if (!MapAxis(d.Left, d.Right, W, s.Left, s.Right, src.W, mirrorX, xTable, x)) return DD_OK;
  if (!MapAxis(d.Top, d.Bottom, H, s.Top, s.Bottom, src.H, mirrorY, yTable, y)) return DD_OK;

  const std::size_t destPitch = static_cast<std::size_t>(W);
  const std::size_t srcPitch = static_cast<std::size_t>(src.W);
  uint32_t* destBase = destPixels + static_cast<std::size_t>(x.DestFirst);
  const uint32_t* srcBase = srcPixels;

  // Whole rows in order: one contiguous copy (the full-window picture).
  if (!keyed && x.Step == 1 && y.Step == 1 && x.Count == W && src.W == W) {
    std::memcpy(destPixels + static_cast<std::size_t>(y.DestFirst) * destPitch,
                srcBase + static_cast<std::size_t>(y.SrcFirst) * srcPitch,
                static_cast<std::size_t>(y.Count) * destPitch * sizeof(uint32_t));
    return DD_OK;
  }

  const uint32_t key = keyed ? *src.Key : 0;
  for (int32_t k = 0; k < y.Count; ++k) {
    uint32_t* drow = destBase + static_cast<std::size_t>(y.DestFirst + k) * destPitch;
    const uint32_t* srow = srcBase + static_cast<std::size_t>(y.Source(k)) * srcPitch;
    if (keyed)
      CopyRowKeyed(drow, srow, x, key);
    else
      CopyRowOpaque(drow, srow, x);
  }
  return DD_OK;
}

}  // namespace platform
