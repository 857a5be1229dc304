// The surface set's order, lost surfaces (restored, reloaded, the blit retried once),
// presentation into a real hidden window, and pictures that cannot be loaded.
#include <SDL.h>

#include <algorithm>

#include "RenderScene.h"
#include "platform/Form.h"
#include "render/Surface.h"

namespace {

class Surfaces : public RenderScene {
 protected:
  std::vector<uint32_t> Snapshot() { return {Back().Row(0).data(), Back().Row(0).data() + 632 * 453}; }
};

// Pictures load in another order than the set holds them; each lands in its own entry.
TEST_F(Surfaces, TilesAndPiecesAreIndexedByValueAndColour) {
  EXPECT_TRUE(Set.MissingPictures().empty());
  const char* tiles[] = {"GAMEPLAYAREA", "ABLACK",   "ARED",       "AGREEN",       "ABLUE",
                         "AREDGREEN",    "AREDBLUE", "AGREENBLUE", "AREDGREENBLUE"};
  const char* pieces[] = {"BLACK", "RED", "GREEN", "REDGREEN", "BLUE", "REDBLUE", "GREENBLUE", "REDGREENBLUE"};
  for (const bool marked : {false, true}) {
    const std::string prefix = marked ? "ID_MARKED" : "ID_";
    const auto tileSet = marked ? Set.MarkedAreaTileSurfaces() : Set.AreaTileSurfaces();
    const auto pieceSet = marked ? Set.MarkedPieceSurfaces() : Set.PieceSurfaces();
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(tileSet[i]->ResourceName, prefix + tiles[i]);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(pieceSet[i]->ResourceName, prefix + pieces[i]);
  }
  EXPECT_EQ(Set[SurfaceABlue].Width, 30);
  EXPECT_EQ(Set[BackBuffer].Target, &Set[PrimarySurface]);
  EXPECT_EQ(Set[SurfaceTitleScreen].Target, &Set[BackBuffer]);
}

// A window larger than the picture shows it on the colour at the foot of the play screen, so
// the backdrop seems to go on into the border.
TEST_F(Surfaces, TheBorderIsTheFootOfThePlayScreen) {
  const auto foot = Set[SurfaceGameScreen].Pixels->Row(TSurfaceSet::ClientHeight - 1);
  EXPECT_EQ(std::count(foot.begin(), foot.end(), BorderColour), TSurfaceSet::ClientWidth);
}

TEST_F(Surfaces, LostPictureIsReloadedBeforeTheRetriedBlit) {
  Settings.Screen = ScreenGameOver;
  Game.AreaWidth = 5, Game.AreaHeight = 7;
  Set[SurfaceGameOver].Pixels->MarkLost();
  Set[SurfaceGamePlayArea].Pixels->MarkLost();
  Compose();
  EXPECT_EQ(WholeMismatches(SurfaceGameOver, 139, 176), 0);
  EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 115, 122), 0);
  EXPECT_EQ(Set[SurfaceGameOver].Pixels->IsLost(), platform::DD_OK);
}

// The back buffer comes back black from the first blit that finds it lost; composition
// repaints it whole, so the screen shows as if nothing had happened.
TEST_F(Surfaces, LostBackBufferIsRestoredAndRepaintedWhole) {
  Settings.Screen = ScreenHighScores;
  Settings.HighScores[0] = 1200;
  Settings.HighScoreNames[0] = "ANNA";
  Compose();
  const std::vector<uint32_t> expected = Snapshot();
  Clear();
  Back().MarkLost();
  Set[SurfaceHighScoreChars].Pixels->MarkLost();
  Compose();
  EXPECT_TRUE(Snapshot() == expected);
}

TEST_F(Surfaces, PictureThatCannotBeLoadedDrawsNothing) {
  TSurface missing("ID_NOSUCHPICTURE", 10, 10, Set[BackBuffer], KeyOrange);
  EXPECT_FALSE(missing.Loaded());
  EXPECT_TRUE(Set[SurfaceOff].Loaded());
  Clear();
  missing.Draw();
  missing.DrawItem(true);
  missing.DrawKeyGlyph(0, 0, 3, false);
  missing.DrawNumber(10, 123);
  missing.DrawSmallText(100, 10, "AB");
  missing.DrawCell(0, 0, 10, 14, true);
  missing.DrawFrame(10, 14, false);
  missing.Restore();
  EXPECT_TRUE(Untouched(0, 0, 632, 453));
}

// Presentation into a hidden window on the headless video driver, read from the window's
// framebuffer (the picture's own size and format there).
class Presenting : public RenderScene {
 protected:
  platform::TimerHost Timers;
  platform::Form Form{Timers};
  TSurfaceSet Shown{Form.WindowId()};

  void ComposeShown() { ComposeScreen(TScreenView{Game, true, true}, Shown, Window); }
  uint32_t OnScreen(int x, int y) {
    const SDL_Surface* framebuffer = SDL_GetWindowSurface(SDL_GetWindowFromID(Form.WindowId()));
    const auto* row = static_cast<const uint8_t*>(framebuffer->pixels) + y * framebuffer->pitch;
    return reinterpret_cast<const uint32_t*>(row)[x] & platform::ColourMask;
  }
  bool ShowsBackBuffer() {
    if (Shown[BackBuffer].Pixels->IsLost() != platform::DD_OK) return false;
    for (int y = 0; y < TSurfaceSet::ClientHeight; ++y)
      for (int x = 0; x < TSurfaceSet::ClientWidth; ++x)
        if (OnScreen(x, y) != Shown[BackBuffer].Pixels->Row(y)[x]) return false;
    return true;
  }
};

TEST_F(Presenting, PaintShowsTheLastComposedScreenAndMendsLostSurfaces) {
  Settings.Screen = ScreenHighScores;
  ComposeShown();
  EXPECT_TRUE(ShowsBackBuffer());
  const uint32_t cell = OnScreen(300, 200);
  EXPECT_NE(cell, 0u);

  // Repainting shows the same picture without composing again.
  Shown[PrimarySurface].Window->MarkLost();
  FormPaint(Shown);
  EXPECT_EQ(Shown[PrimarySurface].Window->IsLost(), platform::DD_OK);
  EXPECT_TRUE(ShowsBackBuffer());
  EXPECT_EQ(OnScreen(300, 200), cell);

  // A lost back buffer is presented once as it comes back (black) ...
  Shown[BackBuffer].Pixels->MarkLost();
  FormPaint(Shown);
  ASSERT_TRUE(ShowsBackBuffer());
  EXPECT_EQ(OnScreen(300, 200), 0u);
  // ... and the next composition repaints it.
  ComposeShown();
  EXPECT_TRUE(ShowsBackBuffer());
  EXPECT_EQ(OnScreen(300, 200), cell);
  EXPECT_TRUE(Window.Calls.empty());
}

}  // namespace
