#include "platform/PixelMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t LargePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t value, std::size_t step) { return (value + step - 1) / step * step; }

// Whole large pages at a large-page boundary: a large page only backs memory that covers it
// entirely. Fresh anonymous memory reads as zero. Null when there is no such memory.
void* MapLargePages(std::size_t bytes) {
  const std::size_t extra = bytes + LargePage;
  void* mapped = mmap(nullptr, extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* start = static_cast<uint8_t*>(mapped);
  auto* aligned = reinterpret_cast<uint8_t*>(RoundUp(reinterpret_cast<std::uintptr_t>(start), LargePage));
  if (aligned > start) munmap(start, static_cast<std::size_t>(aligned - start));
  if (const std::size_t tail = static_cast<std::size_t>(start + extra - (aligned + bytes)); tail > 0)
    munmap(aligned + bytes, tail);
  // Without large pages (switched off, or another kernel) this fails and small pages serve.
  madvise(aligned, bytes, MADV_HUGEPAGE);
  return aligned;
}

}  // namespace

PixelBlock::PixelBlock(std::size_t count, Placement placement) {
  if (count > SIZE_MAX / sizeof(uint32_t)) throw std::bad_alloc();
  const std::size_t bytes = count * sizeof(uint32_t);
  if (placement == Placement::LargePages && bytes >= LargeBytes) {
    const std::size_t mapped = RoundUp(bytes, LargePage);
    if (void* memory = MapLargePages(mapped)) {
      Pixels = static_cast<uint32_t*>(memory);
      MappedBytes = mapped;
      return;
    }
  }
  Pixels = new uint32_t[count]();
}

PixelBlock::~PixelBlock() { Release(); }

PixelBlock::PixelBlock(PixelBlock&& other) noexcept
    : Pixels(std::exchange(other.Pixels, nullptr)), MappedBytes(std::exchange(other.MappedBytes, 0)) {}

PixelBlock& PixelBlock::operator=(PixelBlock&& other) noexcept {
  if (this != &other) {
    Release();
    Pixels = std::exchange(other.Pixels, nullptr);
    MappedBytes = std::exchange(other.MappedBytes, 0);
  }
  return *this;
}

void PixelBlock::Release() noexcept {
  if (MappedBytes != 0)
    munmap(Pixels, MappedBytes);
  else
    delete[] Pixels;
  Pixels = nullptr;
  MappedBytes = 0;
}

}  // namespace platform
