// Pictures on disk: 24-bit BMP for the game, PNG for the art-review sheet and the desktop
// icons, and the binary PPM pictures of the game's screens that the sheet shows.
#pragma once
#include <string>
#include <vector>

#include "Canvas.h"

namespace picgen {

// A bottom-up, uncompressed 24-bit BMP with a BITMAPINFOHEADER, rows padded to 4 bytes.
std::vector<uint8_t> EncodeBmp(const Picture& picture);
// An 8-bit RGB PNG, deflated with zlib.
std::vector<uint8_t> EncodePng(const Picture& picture);
// An 8-bit RGBA PNG of a canvas, its coverage as straight alpha.
std::vector<uint8_t> EncodePng(const Canvas& canvas);
// A binary PPM (P6, 8 bits per channel) as the game's review tool writes it; throws
// std::runtime_error for anything else.
Picture ReadPpm(const std::string& path);
// Writes bytes to a file, replacing it whole; throws std::runtime_error on failure.
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace picgen
