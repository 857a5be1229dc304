// The blitter, pixel by pixel: exact copies, stretching, colour keys, mirrors, clipping and
// lost surfaces.
#include "platform/Graphics.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t Key = 0x00FFFEC1;  // the pale-yellow key of the pieces
constexpr uint32_t Background = 0x00123456;

// Every pixel tells where it came from; none equals Key or Background.
uint32_t Tag(int x, int y) { return 0x00100000u | static_cast<uint32_t>(y) << 10 | static_cast<uint32_t>(x); }

Surface Pattern(int w, int h, std::optional<uint32_t> key = std::nullopt) {
  Surface s(w, h, key);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Row(y)[x] = Tag(x, y);
  return s;
}

Surface Filled(int w, int h, uint32_t colour) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (uint32_t& p : s.Row(y)) p = colour;
  return s;
}

uint32_t At(const Surface& s, int x, int y) { return s.Row(y)[x]; }

bool Same(const Surface& a, const Surface& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (At(a, x, y) != At(b, x, y)) return false;
  return true;
}

// Destination pixels outside [x0,x1) x [y0,y1) must still hold Background.
void ExpectUntouchedOutside(const Surface& s, int x0, int y0, int x1, int y1) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (x < x0 || x >= x1 || y < y0 || y >= y1) {
        ASSERT_EQ(At(s, x, y), Background) << x << "," << y;
      }
}

TEST(Blt, EqualSizedRectanglesCopyExactlyAndTouchNothingElse) {
  const Surface src = Pattern(40, 40);
  Surface dest = Filled(100, 80, Background);
  const Rect from{5, 3, 35, 33};
  const Rect to{17, 11, 47, 41};  // 30x30 onto 30x30
  ASSERT_EQ(dest.Blt(&to, src, &from, DDBLT_WAIT), DD_OK);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(At(dest, 17 + x, 11 + y), Tag(5 + x, 3 + y));
  ExpectUntouchedOutside(dest, 17, 11, 47, 41);

  // The full-window picture: null rectangles, whole rows in one go.
  const Surface picture = Pattern(632, 453);
  Surface back = Filled(632, 453, Background);
  ASSERT_EQ(back.Blt(nullptr, picture, nullptr, DDBLT_WAIT), DD_OK);
  EXPECT_TRUE(Same(back, picture));
}

TEST(Blt, StretchesByNearestPixel) {
  const Surface src = Pattern(3, 2);
  Surface dest = Filled(10, 10, Background);
  const Rect to{1, 1, 7, 5};
  ASSERT_EQ(dest.Blt(&to, src, nullptr, 0), DD_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(At(dest, 1 + x, 1 + y), Tag(x / 2, y / 2)) << x << "," << y;
  ExpectUntouchedOutside(dest, 1, 1, 7, 5);

  // Halving takes every second pixel, starting from the pixel under the first centre.
  const Surface big = Pattern(8, 8);
  Surface small = Filled(4, 4, Background);
  ASSERT_EQ(small.Blt(nullptr, big, nullptr, 0), DD_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(At(small, x, y), Tag(2 * x + 1, 2 * y + 1));
}

TEST(Blt, KeyedBlitLeavesTheTargetWhereTheSourceHoldsTheKey) {
  Surface src = Pattern(30, 30, Key);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      if ((x + y) % 3 == 0 || x < 4) src.Row(y)[x] = Key;
  src.Row(29)[29] = Key | 0xFF000000u;  // the top byte is no colour
  Surface dest = Filled(30, 30, Background);
  ASSERT_EQ(dest.Blt(nullptr, src, nullptr, DDBLT_WAIT | DDBLT_KEYSRC), DD_OK);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool key = (src.Row(y)[x] & ColourMask) == Key;
      ASSERT_EQ(At(dest, x, y), key ? Background : Tag(x, y)) << x << "," << y;
    }

  // Without the flag the key colour is copied like any other.
  Surface opaque = Filled(30, 30, Background);
  ASSERT_EQ(opaque.Blt(nullptr, src, nullptr, 0), DD_OK);
  EXPECT_EQ(At(opaque, 0, 0), Key);

  // A keyed blit from a surface without a key is refused and draws nothing.
  const Surface unkeyed = Pattern(30, 30);
  EXPECT_EQ(dest.Blt(nullptr, unkeyed, nullptr, DDBLT_KEYSRC), DDERR_NOCOLORKEY);
  EXPECT_EQ(At(dest, 0, 0), Background);
}

TEST(Blt, MirrorsAreExactImages) {
  const Surface src = Pattern(7, 5);
  struct Case {
    uint32_t Fx;
    bool FlipX, FlipY;
  };
  for (const Case c : {Case{DDBLTFX_MIRRORLEFTRIGHT, true, false}, Case{DDBLTFX_MIRRORUPDOWN, false, true},
                       Case{DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN, true, true}}) {
    Surface dest = Filled(7, 5, Background);
    ASSERT_EQ(dest.Blt(nullptr, src, nullptr, DDBLT_WAIT | DDBLT_DDFX, c.Fx), DD_OK);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(At(dest, x, y), Tag(c.FlipX ? 6 - x : x, c.FlipY ? 4 - y : y)) << c.Fx << " " << x << "," << y;
  }

  // Effects count only with DDBLT_DDFX.
  Surface plain = Filled(7, 5, Background);
  ASSERT_EQ(plain.Blt(nullptr, src, nullptr, 0, DDBLTFX_MIRRORLEFTRIGHT), DD_OK);
  EXPECT_TRUE(Same(plain, src));

  // Mirrored keyed strips, as the right frame bar is the left one reversed; unscaled and
  // stretched to twice the width.
  Surface keyed = Pattern(4, 3, Key);
  keyed.Row(0)[0] = Key;
  for (int width : {4, 8}) {
    Surface dest = Filled(width, 3, Background);
    ASSERT_EQ(dest.Blt(nullptr, keyed, nullptr, DDBLT_KEYSRC | DDBLT_DDFX, DDBLTFX_MIRRORLEFTRIGHT), DD_OK);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x) {
        const int sx = 3 - x * 4 / width;
        ASSERT_EQ(At(dest, x, y), sx == 0 && y == 0 ? Background : Tag(sx, y)) << width << ": " << x << "," << y;
      }
  }
}

// Clipping only cuts pixels away: what remains is what the unclipped blit puts there. A
// large canvas shows the unclipped result; the small target sits at (Ox, Oy) within it.
TEST(Blt, ClippingKeepsTheMappingOfTheUnclippedBlit) {
  constexpr int Ox = 50, Oy = 40, W = 30, H = 20;
  const Surface src = Pattern(12, 9);
  const Rect whole{0, 0, 12, 9};
  struct Case {
    Rect To;
    Rect From;
    uint32_t Fx;
  };
  const Case cases[] = {
      {{-5, -4, 7, 5}, whole, 0},                           // off the top-left, 1:1
      {{24, 15, 36, 24}, whole, 0},                         // off the bottom-right, 1:1
      {{-7, 12, 17, 30}, whole, DDBLTFX_MIRRORLEFTRIGHT},   // stretched, mirrored, off two sides
      {{-100, -100, 200, 200}, whole, DDBLTFX_MIRRORUPDOWN},  // far larger than the target
      {{2, 2, 14, 11}, {-3, -2, 9, 7}, 0},                  // the source reaches past its surface
      {{10, 5, 22, 14}, {6, 4, 18, 13}, DDBLTFX_MIRRORUPDOWN},
  };
  for (const Case& c : cases) {
    Surface canvas = Filled(W + 2 * Ox, H + 2 * Oy, Background);
    const Rect shifted{c.To.Left + Ox, c.To.Top + Oy, c.To.Right + Ox, c.To.Bottom + Oy};
    ASSERT_EQ(canvas.Blt(&shifted, src, &c.From, DDBLT_DDFX, c.Fx), DD_OK);
    Surface target = Filled(W, H, Background);
    ASSERT_EQ(target.Blt(&c.To, src, &c.From, DDBLT_DDFX, c.Fx), DD_OK);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        ASSERT_EQ(At(target, x, y), At(canvas, x + Ox, y + Oy)) << c.To.Left << "," << c.To.Top << " at " << x << "," << y;
  }

  // Source pixels left of and above the source surface are not read: their places keep
  // what they held, and the rest lines up as if they had been there.
  Surface dest = Filled(16, 12, Background);
  const Rect from{-3, -2, 9, 7};
  const Rect to{2, 2, 14, 11};
  ASSERT_EQ(dest.Blt(&to, src, &from, 0), DD_OK);
  ExpectUntouchedOutside(dest, 5, 4, 14, 11);
  EXPECT_EQ(At(dest, 5, 4), Tag(0, 0));
  EXPECT_EQ(At(dest, 13, 10), Tag(8, 6));
}

TEST(Blt, RefusesEmptyRectanglesAndIgnoresOnesEntirelyOutside) {
  const Surface src = Pattern(10, 10);
  Surface dest = Filled(10, 10, Background);
  const Rect empty{3, 3, 3, 8};
  const Rect inverted{5, 5, 2, 8};
  EXPECT_EQ(dest.Blt(&empty, src, nullptr, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(dest.Blt(nullptr, src, &inverted, 0), DDERR_INVALIDRECT);
  const Rect outside{10, 0, 20, 10};
  const Rect huge{0, 0, 1 << 30, 10};
  EXPECT_EQ(dest.Blt(&outside, src, nullptr, 0), DD_OK);
  EXPECT_EQ(dest.Blt(&huge, src, nullptr, 0), DDERR_INVALIDRECT);
  ExpectUntouchedOutside(dest, 0, 0, 0, 0);
}

// A whole-rows copy of a full-window picture's size, its destination not on a 16-byte boundary.
TEST(Blt, LargeCopyOfWholeRowsIsExact) {
  const Surface src = Pattern(331, 800);
  Surface dest = Filled(331, 802, Background);
  const Rect to{0, 1, 331, 801};
  ASSERT_EQ(dest.Blt(&to, src, nullptr, 0), DD_OK);
  for (int y = 0; y < 800; ++y)
    for (int x = 0; x < 331; ++x) ASSERT_EQ(At(dest, x, y + 1), Tag(x, y)) << x << "," << y;
  ExpectUntouchedOutside(dest, 0, 1, 331, 801);
}

TEST(Surface, LostSurfaceAnswersLostUntilRestoredWithoutContent) {
  Surface back = Pattern(20, 10);
  const Surface picture = Pattern(5, 5);
  back.MarkLost();
  EXPECT_EQ(back.IsLost(), DDERR_SURFACELOST);
  EXPECT_TRUE(back.Row(0).empty());
  EXPECT_EQ(back.Blt(nullptr, picture, nullptr, DDBLT_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(back.IsLost(), DDERR_SURFACELOST);  // a failed blit restores nothing

  ASSERT_EQ(back.Restore(), DD_OK);
  EXPECT_EQ(back.IsLost(), DD_OK);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(back, x, y), 0u) << "old content survived at " << x << "," << y;
  const Rect to{0, 0, 5, 5};
  ASSERT_EQ(back.Blt(&to, picture, nullptr, DDBLT_WAIT), DD_OK);
  EXPECT_EQ(At(back, 4, 4), Tag(4, 4));

  // A lost source fails the blit too, and leaves the target alone.
  Surface lostPicture = Pattern(5, 5);
  lostPicture.MarkLost();
  Surface dest = Filled(5, 5, Background);
  EXPECT_EQ(dest.Blt(nullptr, lostPicture, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(At(dest, 0, 0), Background);

  // Restoring a surface that is not lost keeps its pixels.
  ASSERT_EQ(back.Restore(), DD_OK);
  EXPECT_EQ(At(back, 4, 4), Tag(4, 4));
}

TEST(Surface, SizeAndKeyAreChecked) {
  EXPECT_THROW(Surface(0, 5), std::invalid_argument);
  EXPECT_THROW(Surface(5, -1), std::invalid_argument);
  EXPECT_THROW(Surface(Surface::MaxSide + 1, 1), std::invalid_argument);
  const Surface keyed(2, 2, 0xAA00FF00u);
  EXPECT_EQ(keyed.ColourKey(), 0x0000FF00u);
  EXPECT_FALSE(Surface(2, 2).ColourKey().has_value());
}

}  // namespace
}  // namespace platform
