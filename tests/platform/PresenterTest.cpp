// Presentation into a real (hidden, headless) game window: the headless display gives the
// window a framebuffer of its own, as X11 does, so this is the path the game takes.
#include "platform/Presenter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <utility>

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
  TimerHost Timers;
  Form Window{Timers};
  Presenter Primary{Window.WindowId()};
  Surface Shown{Form::ClientWidth, Form::ClientHeight};

  // A pixel of the window's framebuffer as 0x00RRGGBB, read without the presenter.
  uint32_t WindowPixel(int x, int y) {
    SDL_Surface* framebuffer = SDL_GetWindowSurface(SDL_GetWindowFromID(Window.WindowId()));
    if (framebuffer == nullptr || x >= framebuffer->w || y >= framebuffer->h) return 0xFFFFFFFFu;
    uint32_t pixel = 0;
    const auto* row = static_cast<const uint8_t*>(framebuffer->pixels) + y * framebuffer->pitch;
    SDL_ConvertPixels(1, 1, framebuffer->format->format, row + x * framebuffer->format->BytesPerPixel,
                      framebuffer->pitch, SDL_PIXELFORMAT_RGB888, &pixel, 4);
    return pixel & ColourMask;
  }
};

TEST_F(PresenterTest, ShowsTheBackBufferUnchangedInTheWindowsOwnFramebuffer) {
  EXPECT_FALSE(Primary.UsesRenderer());
  EXPECT_EQ(Primary.ReadBack(Shown), DDERR_INVALIDPARAMS);  // nothing presented yet
  for (uint32_t frame : {1u, 2u}) {
    const Surface back = Screen(frame);
    ASSERT_EQ(Primary.Present(back, DDBLTFX_NOTEARING), DD_OK);
    ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
    EXPECT_TRUE(Same(Shown, back)) << "frame " << frame;
    for (auto [x, y] : {std::pair{0, 0}, {631, 452}, {317, 201}})
      EXPECT_EQ(WindowPixel(x, y), back.Row(y)[x]) << "frame " << frame << " at " << x << "," << y;
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

TEST_F(PresenterTest, ResizedWindowLosesTheFramebufferUntilRestored) {
  ASSERT_EQ(Primary.Present(Screen(5)), DD_OK);
  // A window manager may resize even a fixed window; the old framebuffer is gone with it.
  SDL_SetWindowSize(SDL_GetWindowFromID(Window.WindowId()), Form::ClientWidth + 40, Form::ClientHeight + 30);
  const Surface next = Screen(6);
  EXPECT_EQ(Primary.Present(next), DDERR_SURFACELOST);
  EXPECT_EQ(Primary.IsLost(), DDERR_SURFACELOST);
  ASSERT_EQ(Primary.Restore(), DD_OK);
  ASSERT_EQ(Primary.Present(next), DD_OK);
  ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
  EXPECT_TRUE(Same(Shown, next));
  // The picture stays at the origin, unscaled; the rest of the larger window is black.
  EXPECT_EQ(WindowPixel(Form::ClientWidth + 20, Form::ClientHeight + 10), 0u);
  constexpr int Right = Form::ClientWidth - 1, Bottom = Form::ClientHeight - 1;
  EXPECT_EQ(WindowPixel(Right, Bottom), next.Row(Bottom)[Right]);
}

// The back buffer the presenter makes is the window's framebuffer, drawn into in place; when
// the framebuffer is made anew (the window resized) the picture comes along, so presenting
// again without drawing still shows it. Once the presenter is gone, it is lost for good.
TEST_F(PresenterTest, BackBufferIsTheFramebufferAndKeepsItsPictureWhenThatIsMadeAnew) {
  const std::unique_ptr<Surface> back = Primary.MakeBackBuffer(Form::ClientWidth, Form::ClientHeight);
  const Surface picture = Screen(7);
  ASSERT_EQ(back->Blt(nullptr, picture, nullptr, 0), DD_OK);
  EXPECT_EQ(WindowPixel(317, 201), picture.Row(201)[317]);  // no copy on the way
  ASSERT_EQ(Primary.Present(*back), DD_OK);
  ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
  EXPECT_TRUE(Same(Shown, picture));

  SDL_SetWindowSize(SDL_GetWindowFromID(Window.WindowId()), Form::ClientWidth + 40, Form::ClientHeight + 30);
  EXPECT_EQ(Primary.Present(*back), DDERR_SURFACELOST);
  ASSERT_EQ(Primary.Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK);
  ASSERT_EQ(Primary.Present(*back), DD_OK);
  ASSERT_EQ(Primary.ReadBack(Shown), DD_OK);
  EXPECT_TRUE(Same(Shown, picture));
  EXPECT_EQ(WindowPixel(Form::ClientWidth + 20, Form::ClientHeight + 10), 0u);
  const Surface next = Screen(8);
  ASSERT_EQ(back->Blt(nullptr, next, nullptr, 0), DD_OK);
  EXPECT_EQ(WindowPixel(317, 201), next.Row(201)[317]);

  std::unique_ptr<Surface> orphan;
  {
    Presenter gone(Window.WindowId());
    orphan = gone.MakeBackBuffer(10, 10);
  }
  EXPECT_EQ(orphan->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(orphan->Restore(), DDERR_SURFACELOST);
}

TEST(Presenter, NeedsAWindow) {
  EXPECT_THROW(Presenter(static_cast<SDL_Window*>(nullptr)), std::runtime_error);
  EXPECT_THROW(Presenter(uint32_t{999999}), std::runtime_error);
}

}  // namespace
}  // namespace platform
