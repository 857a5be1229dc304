// The colour depth and the check that tells when the display changed under the surfaces.
#include "platform/DisplayMode.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(DisplayMode, WrongModeOnceTheFormatChangesUntilItIsBack) {
  const uint32_t trueColour = 0x16161804;
  std::optional<uint32_t> display = trueColour;
  const DisplayModeCheck check([&] { return display; });
  EXPECT_EQ(check.TestCooperativeLevel(), DD_OK);
  display = 0x15151002;  // 16 bits
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  EXPECT_EQ(static_cast<uint32_t>(DDERR_WRONGMODE), 0x8876024Bu);
  display = 0x16362004;  // 32 bits, another layout
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  display.reset();
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  display = trueColour;
  EXPECT_EQ(check.TestCooperativeLevel(), DD_OK);
}

// The headless display driver offers a true-colour desktop of 8 bits per channel.
TEST(DisplayMode, TheDesktopIsMeasured) {
  EXPECT_GE(DisplayBitsPerPixel(), 24);
  EXPECT_EQ(DisplayModeCheck().TestCooperativeLevel(), DD_OK);
}

}  // namespace
}  // namespace platform
