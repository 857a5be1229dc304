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

void ExpectPicture(const std::optional<Bitmap>& bitmap, const char* what) {
  ASSERT_TRUE(bitmap.has_value()) << what;
  ASSERT_EQ(bitmap->Width, 3) << what;
  ASSERT_EQ(bitmap->Height, 2) << what;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bitmap->Pixels[static_cast<std::size_t>(y * 3 + x)], Picture[y][x]) << what << " " << x << "," << y;
}

TEST(Bitmap, DecodesBothRowOrdersAt24And32Bits) {
  ExpectPicture(DecodeBitmap(MakeBmp(24, false)), "24-bit bottom-up");
  ExpectPicture(DecodeBitmap(MakeBmp(24, true)), "24-bit top-down");
  ExpectPicture(DecodeBitmap(MakeBmp(32, false, 0)), "32-bit bottom-up, no alpha");
  ExpectPicture(DecodeBitmap(MakeBmp(32, true, 0xFF)), "32-bit top-down, opaque alpha");
}

TEST(Bitmap, RejectsBytesThatAreNoPicture) {
  EXPECT_FALSE(DecodeBitmap({}).has_value());
  const std::vector<uint8_t> text{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_FALSE(DecodeBitmap(text).has_value());
  std::vector<uint8_t> truncated = MakeBmp(24, false);
  truncated.resize(60);
  EXPECT_FALSE(DecodeBitmap(truncated).has_value());
  // A header claiming a picture far larger than any surface.
  std::vector<uint8_t> huge = MakeBmp(24, false);
  const uint32_t wide = 1u << 20;
  std::memcpy(&huge[18], &wide, 4);
  EXPECT_FALSE(DecodeBitmap(huge).has_value());
}

TEST(Bitmap, DrawsAtTheOriginUnscaledAndCutsOffTheRest) {
  const auto bitmap = DecodeBitmap(MakeBmp(24, false));
  ASSERT_TRUE(bitmap.has_value());
  Surface large(5, 4);
  for (int y = 0; y < 4; ++y)
    for (uint32_t& p : large.Row(y)) p = 0x00ABCDEF;
  ASSERT_EQ(DrawBitmap(*bitmap, large), DD_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(large.Row(y)[x], x < 3 && y < 2 ? Picture[y][x] : 0x00ABCDEFu);

  Surface small(2, 1);
  ASSERT_EQ(DrawBitmap(*bitmap, small), DD_OK);
  EXPECT_EQ(small.Row(0)[0], Picture[0][0]);
  EXPECT_EQ(small.Row(0)[1], Picture[0][1]);

  small.MarkLost();
  EXPECT_EQ(DrawBitmap(*bitmap, small), DDERR_SURFACELOST);
  const Bitmap inconsistent{4, 4, {1, 2, 3}};
  EXPECT_EQ(DrawBitmap(inconsistent, large), DDERR_INVALIDPARAMS);
}

TEST(Bitmap, LoadsAnEmbeddedPictureByName) {
  const std::optional<Bitmap> bitmap = LoadBitmapResource("ID_TESTPATTERN");
  ExpectPicture(bitmap, "embedded");
  EXPECT_FALSE(LoadBitmapResource("ID_NOSUCHPICTURE").has_value());
  // A resource that is no picture (a wave) is not one.
  EXPECT_FALSE(LoadBitmapResource("ID_TESTBEEP").has_value());

  // Decoded straight into a surface: the same pixels, with its colour key.
  const std::unique_ptr<Surface> surface = LoadSurfaceResource("ID_TESTPATTERN", 0xFFFEC1u);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->Width(), bitmap->Width);
  ASSERT_EQ(surface->Height(), bitmap->Height);
  EXPECT_EQ(surface->ColourKey(), 0xFFFEC1u);
  for (int y = 0; y < surface->Height(); ++y)
    for (int x = 0; x < surface->Width(); ++x)
      EXPECT_EQ(surface->Row(y)[x], bitmap->Pixels[static_cast<std::size_t>(y * bitmap->Width + x)]) << x << "," << y;
  EXPECT_EQ(LoadSurfaceResource("ID_NOSUCHPICTURE", std::nullopt), nullptr);
  EXPECT_EQ(LoadSurfaceResource("ID_TESTBEEP", std::nullopt), nullptr);
}

}  // namespace
}  // namespace platform
