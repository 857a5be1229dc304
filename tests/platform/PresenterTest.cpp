// Presentation into a real (hidden, headless) game window, read back from the renderer.
#include "platform/Presenter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/Form.h"

namespace platform {
namespace {

Surface Screen(uint32_t seed) {
  Surface s(Form::ClientWidth, Form::ClientHeight);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.Row(y)[x] = (seed * 2654435761u ^ static_cast<uint32_t>(x * 7919 + y * 104729)) & ColourMask;
  return s;
}

bool Same(const Surface& a, const Surface& b) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Row(y)[x] != b.Row(y)[x]) return false;
  return true;
}

class PresenterTest : public ::testing::Test {
 protected:
  MainQueue Queue;
  TimerHost Timers;
  Form Window{Queue, Timers};
  Presenter Primary{Window.WindowId()};
  Surface Shown{Form::ClientWidth, Form::ClientHeight};
};

TEST_F(PresenterTest, ShowsTheBackBufferUnchanged) {
  EXPECT_EQ(Primary.ReadBack(Shown), DDERR_INVALIDPARAMS);  // nothing presented yet
  for (uint32_t frame : {1u, 2u}) {
    const Surface back = Screen(frame);
    ASSERT_EQ(Primary.Present(back, DDBLTFX_NOTEARING), DD_OK);
    ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
    EXPECT_TRUE(Same(Shown, back)) << "frame " << frame;
  }
}

TEST_F(PresenterTest, LostBackBufferOrPresenterIsReportedAndRestored) {
  Surface back = Screen(3);
  back.MarkLost();
  EXPECT_EQ(Primary.Present(back), DDERR_SURFACELOST);
  // Restored without content, it is presented once as it is (black).
  ASSERT_EQ(back.Restore(), DD_OK);
  ASSERT_EQ(Primary.Present(back), DD_OK);
  ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
  EXPECT_EQ(Shown.Row(200)[300], 0u);

  Primary.MarkLost();
  EXPECT_EQ(Primary.IsLost(), DDERR_SURFACELOST);
  const Surface next = Screen(4);
  EXPECT_EQ(Primary.Present(next), DDERR_SURFACELOST);
  ASSERT_EQ(Primary.Restore(), DD_OK);
  EXPECT_EQ(Primary.IsLost(), DD_OK);
  ASSERT_EQ(Primary.Present(next), DD_OK);
  ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
  EXPECT_TRUE(Same(Shown, next));
}

TEST(Presenter, NeedsAWindow) {
  EXPECT_THROW(Presenter(static_cast<SDL_Window*>(nullptr)), std::runtime_error);
  EXPECT_THROW(Presenter(uint32_t{999999}), std::runtime_error);
}

}  // namespace
}  // namespace platform
