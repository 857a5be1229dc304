// Where a surface's pixels live: a block of its own, or pixels it only draws into (the
// window's framebuffer, handed out by the presenter).
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Where a surface keeps its pixels: in plain memory, or in large pages, for a picture of a
// megabyte or more (a full-window picture) that is copied whole several times a second. Such
// a copy comes after the picture has gone cold, and with small pages it first walks hundreds
// of page-table entries again. A large page takes 2 MiB whatever part of it is used, so only
// a picture drawn that often is worth one. Where large pages are not to be had, the same
// memory is used with small ones.
enum class Placement : uint8_t { Plain, LargePages };

// Zeroed memory for a number of pixels, owned.
class PixelBlock {
 public:
  // Smaller blocks stay in plain memory, whatever their placement.
  static constexpr std::size_t LargeBytes = std::size_t{1} << 20;

  PixelBlock() = default;
  // Throws std::bad_alloc.
  explicit PixelBlock(std::size_t count, Placement placement = Placement::Plain);
  ~PixelBlock();
  PixelBlock(PixelBlock&& other) noexcept;
  PixelBlock& operator=(PixelBlock&& other) noexcept;
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;

  uint32_t* Data() const { return Pixels; }

 private:
  void Release() noexcept;

  uint32_t* Pixels = nullptr;
  std::size_t MappedBytes = 0;  // 0: the block came from the heap
};

// Pixels a surface draws into without owning them. Their owner moves them (the surface then
// draws into the new place, with the picture it had) or takes them away for good (the surface
// is then lost). Main thread only.
struct SharedPixels {
  uint32_t* Data = nullptr;  // null once taken away
  int Stride = 0;            // pixels from the start of one row to the next
};

}  // namespace platform
