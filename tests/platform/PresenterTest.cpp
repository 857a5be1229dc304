// Presentation into a real (hidden, headless) game window: the headless display gives the
// window a framebuffer of its own, as X11 does, so this is the path the game takes.
#include "platform/Presenter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Form.h"

namespace platform {
namespace {

constexpr uint32_t Border = 0x00090B22;

Surface Screen(uint32_t seed) {
  Surface s(Form::ClientWidth, Form::ClientHeight);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      s.Row(y)[x] = (seed * 2654435761u ^ static_cast<uint32_t>(x * 7919 + y * 104729)) & ColourMask;
  return s;
}

class PresenterTest : public ::testing::Test {
 protected:
  TimerHost Timers;
  Form Window{Timers};
  SDL_Window* Sdl = SDL_GetWindowFromID(Window.WindowId());
  Presenter Primary{Window.WindowId(), Border};

  SDL_Surface* Framebuffer() { return SDL_GetWindowSurface(Sdl); }
  uint32_t& Pixel(int x, int y) {
    SDL_Surface* f = Framebuffer();
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(f->pixels) + y * f->pitch)[x];
  }
  // Presents, and after a change of the window's size once more, as the game does.
  void Show(const Surface& picture) {
    if (Primary.Present(picture) == DD_OK) return;
    ASSERT_EQ(Primary.Restore(), DD_OK);
    ASSERT_EQ(Primary.Present(picture), DD_OK);
  }
  // How many pixels of the window differ from the picture at that place and scale on the border.
  int Mismatches(const Surface& picture, const Placement& at) {
    SDL_Surface* f = Framebuffer();
    int wrong = 0;
    for (int y = 0; y < f->h; ++y)
      for (int x = 0; x < f->w; ++x) {
        const int px = (x - at.X) / at.Scale, py = (y - at.Y) / at.Scale;
        const bool inside = x >= at.X && y >= at.Y && px < picture.Width() && py < picture.Height();
        wrong += (Pixel(x, y) & ColourMask) != (inside ? picture.Row(py)[px] : Border);
      }
    return wrong;
  }
};

// Any window size shows the picture at the largest whole scale that fits, centred, every
// picture pixel a block of scale x scale, on the border colour.
TEST_F(PresenterTest, ShowsThePictureAtTheLargestWholeScaleCentredOnTheBorder) {
  ASSERT_EQ(Framebuffer()->format->format, SDL_PIXELFORMAT_RGB888);
  const struct {
    int Width, Height;
    Placement At;
  } cases[] = {
      {632, 453, {0, 0, 1}},     {1264, 906, {0, 0, 2}},     {1900, 1400, {2, 20, 3}},
      {700, 1000, {34, 273, 1}}, {2560, 1440, {332, 40, 3}}, {3840, 2160, {656, 174, 4}},
  };
  uint32_t seed = 1;
  for (const auto& c : cases) {
    SDL_SetWindowSize(Sdl, c.Width, c.Height);
    const Surface picture = Screen(++seed);
    Show(picture);
    EXPECT_EQ(Primary.Shown(), c.At) << c.Width << "x" << c.Height;
    EXPECT_EQ(Mismatches(picture, c.At), 0) << c.Width << "x" << c.Height;
  }
}

// Only what changed is drawn again; a picture presented unchanged (the window was uncovered)
// draws nothing, and a new framebuffer (the window resized) is drawn whole. Unscaled, what the
// framebuffer holds is what was shown: a row that differs from it is drawn again.
TEST_F(PresenterTest, OnlyTheChangedPartIsDrawnAgain) {
  const struct {
    int Width, Height;
    Placement At;
  } cases[] = {{1300, 1000, {18, 47, 2}}, {700, 500, {34, 23, 1}}};
  for (const auto& c : cases) {
    SDL_SetWindowSize(Sdl, c.Width, c.Height);
    Surface picture = Screen(7);
    Show(picture);
    const Placement at = Primary.Shown();
    ASSERT_EQ(at, c.At);
    const int n = at.Scale;

    constexpr uint32_t Scribble = 0x00ABCDEF;
    Pixel(at.X + n * 10, at.Y + n * 10) = Scribble;  // picture pixel (10, 10), unchanged
    Pixel(0, 0) = Scribble;                          // the border
    for (int y = 200; y < 230; ++y)
      for (int x = 100; x < 130; ++x) picture.Row(y)[x] = 0x00112233;  // a cell changes
    ASSERT_EQ(Primary.Present(picture), DD_OK);
    EXPECT_EQ(Pixel(0, 0), Scribble);
    EXPECT_EQ(Pixel(at.X + n * 100, at.Y + n * 200) & ColourMask, 0x00112233u);
    EXPECT_EQ(Pixel(at.X + n * 130 - 1, at.Y + n * 230 - 1) & ColourMask, 0x00112233u);
    EXPECT_EQ(Pixel(at.X + n * 130, at.Y + n * 215) & ColourMask, picture.Row(215)[130]);
    ASSERT_EQ(Primary.Present(picture), DD_OK);
    EXPECT_EQ(Mismatches(picture, at), n == 1 ? 1 : 2) << "at scale " << n;

    SDL_SetWindowSize(Sdl, c.Width, c.Height + 1);
    Show(picture);
    EXPECT_EQ(Mismatches(picture, Primary.Shown()), 0) << "a new framebuffer is drawn whole, at scale " << n;
  }
}

TEST_F(PresenterTest, LostPictureOrPresenterIsReportedAndRestored) {
  Surface back = Screen(3);
  back.MarkLost();
  EXPECT_EQ(Primary.Present(back), DDERR_SURFACELOST);
  // Restored without content, it is presented once as it is (black).
  ASSERT_EQ(back.Restore(), DD_OK);
  ASSERT_EQ(Primary.Present(back), DD_OK);
  EXPECT_EQ(Pixel(300, 200) & ColourMask, 0u);

  Primary.MarkLost();
  EXPECT_EQ(Primary.IsLost(), DDERR_SURFACELOST);
  const Surface next = Screen(4);
  EXPECT_EQ(Primary.Present(next), DDERR_SURFACELOST);
  ASSERT_EQ(Primary.Restore(), DD_OK);
  EXPECT_EQ(Primary.IsLost(), DD_OK);
  ASSERT_EQ(Primary.Present(next), DD_OK);
  EXPECT_EQ(Mismatches(next, {0, 0, 1}), 0);

  // The window's framebuffer goes with a change of its size: the present says so.
  SDL_SetWindowSize(Sdl, Form::ClientWidth + 40, Form::ClientHeight + 30);
  EXPECT_EQ(Primary.Present(next), DDERR_SURFACELOST);
  EXPECT_EQ(Primary.IsLost(), DDERR_SURFACELOST);
}

// Framebuffers of another pixel layout get the same picture, converted.
TEST(ScalePicture, WritesOtherFormatsAsTheirOwnPixels) {
  const Surface picture = Screen(9);
  const Rect part{5, 3, 17, 11};
  const Placement at{4, 2, 3};
  constexpr int Width = 4 + 3 * 17, Height = 2 + 3 * 11;
  for (const uint32_t format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_BGR888, SDL_PIXELFORMAT_ARGB2101010}) {
    std::vector<uint32_t> out(Width * Height, 0xFFFFFFFFu);
    ScalePicture(picture, part, at, out.data(), Width * 4, format);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) {
        const int px = (x - at.X) / at.Scale, py = (y - at.Y) / at.Scale;
        const bool inside = x >= at.X + 3 * part.Left && y >= at.Y + 3 * part.Top;
        uint32_t expected = 0xFFFFFFFFu;
        if (inside) SDL_ConvertPixels(1, 1, SDL_PIXELFORMAT_RGB888, &picture.Row(py)[px], 4, format, &expected, 4);
        ASSERT_EQ(out[y * Width + x], expected) << SDL_GetPixelFormatName(format) << " at " << x << "," << y;
      }
  }
}

TEST(Presenter, NeedsAWindow) {
  EXPECT_THROW(Presenter(uint32_t{999999}, Border), std::runtime_error);
}

}  // namespace
}  // namespace platform
