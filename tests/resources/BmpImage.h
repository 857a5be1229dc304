// Reads the 24-bit BMP files the picture generator writes, checking their format strictly.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct BmpImage {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows from the top
  std::string Error;             // empty when the file was a valid picture

  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  bool Valid() const { return Error.empty(); }
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Accepts exactly what the game's pictures must be: "BM", a BITMAPINFOHEADER, one plane,
// 24 bits per pixel, no compression, bottom-up rows padded to four bytes, nothing missing.
inline BmpImage DecodeBmp(const std::vector<uint8_t>& b) {
  BmpImage img;
  const auto u16 = [&](size_t o) { return static_cast<uint32_t>(b[o] | (b[o + 1] << 8)); };
  const auto u32 = [&](size_t o) { return u16(o) | (u16(o + 2) << 16); };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return img.Error = "not a BMP file", img;
  if (u32(2) != b.size()) return img.Error = "file size field does not match", img;
  if (u32(14) != 40) return img.Error = "not a BITMAPINFOHEADER", img;
  const auto width = static_cast<int32_t>(u32(18)), height = static_cast<int32_t>(u32(22));
  if (width <= 0) return img.Error = "bad width", img;
  if (height <= 0) return img.Error = "not bottom-up", img;
  if (u16(26) != 1 || u16(28) != 24) return img.Error = "not one plane of 24 bits", img;
  if (u32(30) != 0) return img.Error = "compressed", img;
  const uint32_t offset = u32(10);
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset < 54 || offset + stride * static_cast<size_t>(height) != b.size())
    return img.Error = "pixel data has the wrong size", img;
  img.Width = width;
  img.Height = height;
  img.Pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const size_t p = row + static_cast<size_t>(x) * 3;
      img.Pixels[static_cast<size_t>(y) * width + x] =
          (uint32_t{b[p + 2]} << 16) | (uint32_t{b[p + 1]} << 8) | b[p];
    }
  }
  return img;
}
