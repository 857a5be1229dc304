// BMP pictures into surfaces: both row orders, 24 and 32 bits, and bytes that are no picture.
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace platform {
namespace {

// A 3x2 picture, top row first: red, green, blue / white, black, the pieces' key.
const uint32_t Picture[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFEC1}};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// An uncompressed BMP of Picture; 24-bit rows are padded to four bytes.
std::vector<uint8_t> MakeBmp(int bits, bool topDown, uint8_t alpha = 0) {
  const int bytesPerPixel = bits / 8;
  const int stride = (3 * bytesPerPixel + 3) / 4 * 4;
  const auto imageSize = static_cast<uint32_t>(stride * 2);
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, 54 + imageSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, 3);
  Put32(out, static_cast<uint32_t>(topDown ? -2 : 2));
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bits));
  Put32(out, 0);  // uncompressed
  Put32(out, imageSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int i = 0; i < 2; ++i) {
    const int y = topDown ? i : 1 - i;
    std::size_t start = out.size();
    for (uint32_t p : Picture[y]) {
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
      if (bits == 32) out.push_back(alpha);
    }
    while ((out.size() - start) % 4 != 0) out.push_back(0);
  }
  return out;
}

void ExpectPicture(const std::unique_ptr<Surface>& surface, const char* what) {
  ASSERT_NE(surface, nullptr) << what;
  ASSERT_EQ(surface->Width(), 3) << what;
  ASSERT_EQ(surface->Height(), 2) << what;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(surface->Row(y)[x], Picture[y][x]) << what << " " << x << "," << y;
}

TEST(Bitmap, DecodesBothRowOrdersAt24And32Bits) {
  ExpectPicture(DecodeBitmap(MakeBmp(24, false)), "24-bit bottom-up");
  ExpectPicture(DecodeBitmap(MakeBmp(24, true)), "24-bit top-down");
  ExpectPicture(DecodeBitmap(MakeBmp(32, false, 0)), "32-bit bottom-up, no alpha");
  ExpectPicture(DecodeBitmap(MakeBmp(32, true, 0xFF)), "32-bit top-down, opaque alpha");
}

TEST(Bitmap, RejectsBytesThatAreNoPicture) {
  EXPECT_EQ(DecodeBitmap({}), nullptr);
  const std::vector<uint8_t> text{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_EQ(DecodeBitmap(text), nullptr);
  std::vector<uint8_t> truncated = MakeBmp(24, false);
  truncated.resize(60);
  EXPECT_EQ(DecodeBitmap(truncated), nullptr);
  // A header claiming a picture far larger than any surface.
  std::vector<uint8_t> huge = MakeBmp(24, false);
  const uint32_t wide = 1u << 20;
  std::memcpy(&huge[18], &wide, 4);
  EXPECT_EQ(DecodeBitmap(huge), nullptr);
}

TEST(Bitmap, LoadsAnEmbeddedPictureByNameWithItsColourKey) {
  const std::unique_ptr<Surface> surface = LoadSurfaceResource("ID_TESTPATTERN", 0xFFFEC1u);
  ExpectPicture(surface, "embedded");
  EXPECT_EQ(surface->ColourKey(), 0xFFFEC1u);
  EXPECT_EQ(LoadSurfaceResource("ID_TESTPATTERN")->ColourKey(), std::nullopt);
  EXPECT_EQ(LoadSurfaceResource("ID_NOSUCHPICTURE"), nullptr);
  // A resource that is no picture (a wave) is not one.
  EXPECT_EQ(LoadSurfaceResource("ID_TESTBEEP"), nullptr);
}

}  // namespace
}  // namespace platform
