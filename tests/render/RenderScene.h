// Shared helpers for the drawing tests: a game on a settings record of its own, a surface set
// without a window, and comparison of the back buffer with the pictures' own pixels.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/Bitmap.h"
#include "render/ComposeScreen.h"
#include "render/SurfaceSet.h"
#include "support/PictureCheck.h"

// Records what composition asks of the window.
class RecordingComposeHost final : public IComposeHost {
 public:
  void SetWaitCursor() override { Calls.push_back("wait cursor"); }
  void EnableTimerTitle() override { Calls.push_back("title timer"); }
  void EnableTimerExit() override { Calls.push_back("exit timer"); }
  std::vector<std::string> Calls;
};

// A game with every bubble and tile place empty and a 10 x 14 area, composed into a set that
// presents nowhere.
class RenderScene : public ::testing::Test {
 protected:
  RenderScene() {
    Game.AreaWidth = MaxAreaWidth;
    Game.AreaHeight = MaxAreaHeight;
  }

  void Compose() { ComposeScreen(TScreenView{Game, SoundAvailable, MusicAvailable, ColourMarks}, Set, Window); }

  platform::Surface& Back() { return *Set[BackBuffer].Pixels; }
  uint32_t At(int x, int y) { return Back().Row(y)[x]; }

  // Fills the back buffer with a colour none of the pictures holds.
  void Clear() {
    for (int y = 0; y < Back().Height(); ++y)
      for (uint32_t& p : Back().Row(y)) p = Ground;
  }

  // Fills every place of a w x h area with the tile of that value.
  void FillTiles(int w, int h, uint8_t value) {
    for (int c = 0; c < w; ++c)
      for (int r = 0; r < h; ++r) Settings.Areas[c][r] = std::make_unique<TArea>(value);
  }

  using Part = TPicturePart;
  int Mismatches(TSurfaceIndex index, Part part, int x, int y, bool mirrorLeftRight = false,
                 bool mirrorUpDown = false) {
    return ::Mismatches(Back(), index, part, x, y, mirrorLeftRight, mirrorUpDown);
  }
  int WholeMismatches(TSurfaceIndex index, int x, int y) { return ::WholeMismatches(Back(), index, x, y); }
  int HalfMismatches(TSurfaceIndex index, int x, int y, bool selected) {
    return ::HalfMismatches(Back(), index, x, y, selected);
  }

  // A rectangle of the back buffer shows the colour of the ground everywhere.
  bool Untouched(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (At(x, y) != Ground) return false;
    return true;
  }

  static constexpr uint32_t Ground = 0x00123456;

  TSettings Settings;
  TNullGameHost Host;
  TGame Game{Settings, Host};
  TSurfaceSet Set{TSurface::NoWindow};
  RecordingComposeHost Window;
  bool SoundAvailable = true;
  bool MusicAvailable = true;
  bool ColourMarks = false;
};
