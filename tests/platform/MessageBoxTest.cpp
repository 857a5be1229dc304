#include "platform/MessageBox.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(MessageBox, WithoutADisplayTheMessageGoesToStandardError) {
  ASSERT_STREQ(SDL_GetHint(SDL_HINT_VIDEODRIVER), "dummy");
  testing::internal::CaptureStderr();
  platform::ShowMessageBox("Warning!", "Game must run in a true color mode.");
  platform::ShowMessageBox("Huebloc", "Out of memory.", platform::MessageIcon::Stop);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning!: Game must run in a true color mode.\nHuebloc: Out of memory.\n");
}

TEST(MessageBox, AlsoOnceTheHeadlessDisplayIsOpen) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  testing::internal::CaptureStderr();
  platform::ShowMessageBox("Warning!", "Game require DirectX 6.0 or above.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Warning!: Game require DirectX 6.0 or above.\n");
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
