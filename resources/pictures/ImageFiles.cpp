#include "ImageFiles.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace picgen {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void Put32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32BigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  Put32BigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const Picture& picture) {
  const uint32_t stride = (static_cast<uint32_t>(picture.Width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(picture.Height);
  std::vector<uint8_t> out;
  out.reserve(54 + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageSize);  // file size
  Put32(out, 0);               // reserved
  Put32(out, 54);              // offset of the pixels
  Put32(out, 40);              // BITMAPINFOHEADER
  Put32(out, static_cast<uint32_t>(picture.Width));
  Put32(out, static_cast<uint32_t>(picture.Height));  // positive: bottom-up
  Put16(out, 1);                                       // planes
  Put16(out, 24);                                      // bits per pixel
  Put32(out, 0);                                       // BI_RGB
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = picture.Height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.Width; ++x) {
      const uint32_t p = picture.Pixel(x, y);
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
    }
    for (uint32_t pad = static_cast<uint32_t>(picture.Width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

namespace {

// A PNG of 8-bit channels, `channels` to a pixel (3: RGB, 4: RGBA), deflated with zlib.
std::vector<uint8_t> EncodePngPixels(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> raw;
  const size_t rowBytes = static_cast<size_t>(width) * channels;
  raw.reserve((rowBytes + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no row filter
    const auto row = pixels.begin() + static_cast<long>(rowBytes * y);
    raw.insert(raw.end(), row, row + static_cast<long>(rowBytes));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
    throw std::runtime_error("zlib could not compress the picture");
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32BigEndian(header, static_cast<uint32_t>(width));
  Put32BigEndian(header, static_cast<uint32_t>(height));
  const uint8_t colourType = channels == 4 ? 6 : 2;  // RGBA or RGB
  header.insert(header.end(), {8, colourType, 0, 0, 0});  // 8 bits, deflate, no filter, no interlace
  PngChunk(out, "IHDR", header);
  PngChunk(out, "IDAT", packed);
  PngChunk(out, "IEND", {});
  return out;
}

uint8_t Channel(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f))); }

}  // namespace

std::vector<uint8_t> EncodePng(const Picture& picture) {
  return EncodePngPixels(picture.Width, picture.Height, 3, picture.Rgb);
}

std::vector<uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<uint8_t> pixels;
  pixels.reserve(static_cast<size_t>(canvas.Width()) * canvas.Height() * 4);
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgba& p = canvas.At(x, y);
      pixels.insert(pixels.end(), {Channel(p.c.r), Channel(p.c.g), Channel(p.c.b), Channel(p.a * 255.0f)});
    }
  return EncodePngPixels(canvas.Width(), canvas.Height(), 4, pixels);
}

Picture ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  if (!in || magic != "P6" || maxValue != 255 || width < 1 || height < 1 || width > 16384 || height > 16384)
    throw std::runtime_error(path + " is not a binary 8-bit PPM picture");
  in.get();  // the one whitespace before the pixels
  Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  if (!in.read(reinterpret_cast<char*>(p.Rgb.data()), static_cast<std::streamsize>(p.Rgb.size())))
    throw std::runtime_error(path + " is cut short");
  return p;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot write " + path);
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
  const bool closed = std::fclose(f) == 0;
  if (written != bytes.size() || !closed) throw std::runtime_error("cannot write " + path);
}

}  // namespace picgen
