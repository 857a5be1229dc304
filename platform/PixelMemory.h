// Where a surface's pixels live: a block of its own, or pixels it only draws into (the
// window's framebuffer, handed out by the presenter).
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Zeroed memory for a number of pixels, owned. A block of a megabyte or more (a full-window
// picture) is 2 MiB-aligned memory that the kernel is asked to back with large pages: the
// game copies a whole such picture a few times a second, each time after it has gone cold,
// and with small pages every copy first walks hundreds of page-table entries again. Where
// large pages are not to be had, the same memory is used with small ones.
class PixelBlock {
 public:
  static constexpr std::size_t LargeBytes = std::size_t{1} << 20;

  PixelBlock() = default;
  // Throws std::bad_alloc.
  explicit PixelBlock(std::size_t count);
  ~PixelBlock();
  PixelBlock(PixelBlock&& other) noexcept;
  PixelBlock& operator=(PixelBlock&& other) noexcept;
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;

  uint32_t* Data() const { return Pixels; }
  std::size_t Count() const { return Size; }

 private:
  void Release() noexcept;

  uint32_t* Pixels = nullptr;
  std::size_t Size = 0;
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
