#include "platform/Graphics.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {
namespace {

// Coordinates beyond this are refused, which keeps the stretch arithmetic inside 64 bits.
constexpr int64_t MaxCoordinate = int64_t{1} << 24;

// Which source pixel each destination pixel of one axis takes, after clipping: an unscaled,
// unmirrored axis runs on from SrcFirst, any other looks its source coordinate up in Table.
struct AxisMap {
  int32_t DestFirst = 0;
  int32_t Count = 0;
  int32_t SrcFirst = 0;
  const int32_t* Table = nullptr;

  int32_t Source(int32_t k) const { return Table == nullptr ? SrcFirst + k : Table[k]; }
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
    const int64_t j = sw == dw ? i : ((2 * i + 1) * sw) / (2 * dw);
    return s0 + (mirror ? sw - 1 - j : j);
  };
  auto sourceInside = [&](int64_t i) { return sourceOf(i) >= 0 && sourceOf(i) < srcLimit; };
  int64_t lo = std::max<int64_t>(0, -d0);
  int64_t hi = std::min<int64_t>(dw, destLimit - d0);
  while (lo < hi && !sourceInside(lo)) ++lo;
  while (hi > lo && !sourceInside(hi - 1)) --hi;
  if (lo >= hi) return false;

  out = {static_cast<int32_t>(d0 + lo), static_cast<int32_t>(hi - lo), static_cast<int32_t>(sourceOf(lo)), nullptr};
  if (sw == dw && !mirror) return true;
  table.resize(static_cast<std::size_t>(out.Count));
  for (int32_t k = 0; k < out.Count; ++k) table[static_cast<std::size_t>(k)] = static_cast<int32_t>(sourceOf(lo + k));
  out.Table = table.data();
  return true;
}

// One destination row. Keyed copies leave the destination pixel wherever the source holds
// the key; written without a branch so the compiler can vectorise the unscaled run.
template <bool Keyed>
void CopyRow(uint32_t* d, const uint32_t* s, const AxisMap& x, uint32_t key) {
  const auto put = [&](int32_t i, uint32_t p) { d[i] = Keyed && (p & ColourMask) == key ? d[i] : p; };
  if (x.Table == nullptr && !Keyed)
    std::memmove(d, s + x.SrcFirst, static_cast<std::size_t>(x.Count) * sizeof(uint32_t));
  else if (x.Table == nullptr)
    for (int32_t i = 0; i < x.Count; ++i) put(i, s[x.SrcFirst + i]);
  else
    for (int32_t i = 0; i < x.Count; ++i) put(i, s[x.Table[i]]);
}

std::size_t PixelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

Surface::Surface(int width, int height, std::optional<uint32_t> colourKey) : W(width), H(height) {
  if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
    throw std::invalid_argument("surface size " + std::to_string(width) + "x" + std::to_string(height));
  if (colourKey) Key = *colourKey & ColourMask;
  Restore();
}

Result Surface::Restore() {
  if (Pixels == nullptr) Pixels = std::make_unique<uint32_t[]>(PixelCount(W, H));  // zeroed: black
  return DD_OK;
}

std::span<uint32_t> Surface::Row(int y) {
  if (Pixels == nullptr || y < 0 || y >= H) return {};
  return {Pixels.get() + PixelCount(W, y), static_cast<std::size_t>(W)};
}

Result Surface::Blt(const Rect* dest, const Surface& src, const Rect* srcRect, uint32_t flags, uint32_t fx) {
  if (Pixels == nullptr || src.Pixels == nullptr) return DDERR_SURFACELOST;
  const Rect d = dest != nullptr ? *dest : Rect{0, 0, W, H};
  const Rect s = srcRect != nullptr ? *srcRect : Rect{0, 0, src.W, src.H};
  for (const Rect* r : {&d, &s}) {
    if (!InRange(r->Left) || !InRange(r->Top) || !InRange(r->Right) || !InRange(r->Bottom)) return DDERR_INVALIDRECT;
    if (r->Width() <= 0 || r->Height() <= 0) return DDERR_INVALIDRECT;
  }
  const bool keyed = (flags & DDBLT_KEYSRC) != 0;
  if (keyed && !src.Key) return DDERR_NOCOLORKEY;
  const uint32_t effects = (flags & DDBLT_DDFX) != 0 ? fx : 0;

  thread_local std::vector<int32_t> xTable, yTable;
  AxisMap x, y;
  if (!MapAxis(d.Left, d.Right, W, s.Left, s.Right, src.W, (effects & DDBLTFX_MIRRORLEFTRIGHT) != 0, xTable, x) ||
      !MapAxis(d.Top, d.Bottom, H, s.Top, s.Bottom, src.H, (effects & DDBLTFX_MIRRORUPDOWN) != 0, yTable, y))
    return DD_OK;
  for (int32_t k = 0; k < y.Count; ++k) {
    uint32_t* drow = Pixels.get() + PixelCount(W, y.DestFirst + k) + x.DestFirst;
    const uint32_t* srow = src.Pixels.get() + PixelCount(src.W, y.Source(k));
    (keyed ? CopyRow<true> : CopyRow<false>)(drow, srow, x, keyed ? *src.Key : 0);
  }
  return DD_OK;
}

}  // namespace platform
