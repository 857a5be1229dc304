// The colour depth and the check that tells when the display changed under the surfaces.
#include "platform/DisplayMode.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(DisplayMode, WrongModeOnceTheFormatChangesUntilItIsBack) {
  const DisplayMode trueColour{0x16161804, 24};
  std::optional<DisplayMode> display = trueColour;
  const DisplayModeCheck check([&] { return display; });
  EXPECT_EQ(check.TestCooperativeLevel(), DD_OK);
  display = DisplayMode{0x15151002, 16};
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  EXPECT_EQ(static_cast<uint32_t>(DDERR_WRONGMODE), 0x8876024Bu);
  display = DisplayMode{0x16362004, 32};  // same depth class, another layout
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  display.reset();
  EXPECT_EQ(check.TestCooperativeLevel(), DDERR_WRONGMODE);
  display = trueColour;
  EXPECT_EQ(check.TestCooperativeLevel(), DD_OK);
}

// The headless display driver offers a true-colour desktop of 8 bits per channel.
TEST(DisplayMode, TheDesktopIsMeasured) {
  const auto mode = DesktopDisplayMode();
  ASSERT_TRUE(mode.has_value());
  EXPECT_GE(mode->BitsPerPixel, 24);
  EXPECT_EQ(DisplayBitsPerPixel(), mode->BitsPerPixel);
  EXPECT_EQ(DisplayModeCheck().TestCooperativeLevel(), DD_OK);
}

}  // namespace
}  // namespace platform
