// The play area on the back buffer: centred cells and the pinwheel frame for every size,
// tiles under pieces, and boards whose size or tiles are out of range.
#include "RenderScene.h"
#include "render/PlayArea.h"

namespace {

class PlayArea : public RenderScene {
 protected:
  // Everything outside the frame's box is left alone.
  bool OnlyInside(int left, int top, int right, int bottom) {
    for (int y = 0; y < Back().Height(); ++y)
      for (int x = 0; x < Back().Width(); ++x)
        if ((x < left || x >= right || y < top || y >= bottom) && At(x, y) != Ground) return false;
    return true;
  }
};

TEST_F(PlayArea, EverySizeIsCentredInsideItsPinwheelFrame) {
  for (int w = MinAreaWidth; w <= MaxAreaWidth; ++w)
    for (int h = MinAreaHeight; h <= MaxAreaHeight; ++h) {
      SCOPED_TRACE(testing::Message() << w << " x " << h);
      Clear();
      DrawPlayArea(Set, Settings, w, h, false);
      const int left = 40 + (10 - w) * 30 / 2, top = 17 + (14 - h) * 30 / 2;
      const int right = left + 30 * w, bottom = top + 30 * h;
      for (int c = 0; c < w; ++c)
        for (int r = 0; r < h; ++r) ASSERT_EQ(WholeMismatches(SurfaceGamePlayArea, left + 30 * c, top + 30 * r), 0);
      const Part across{0, 0, 30 * w + 10, 10}, down{0, 0, 10, 30 * h + 10};
      EXPECT_EQ(Mismatches(SurfaceFrameH, across, left, top - 10), 0) << "top";
      EXPECT_EQ(Mismatches(SurfaceFrameH, across, left - 10, bottom, false, true), 0) << "bottom";
      EXPECT_EQ(Mismatches(SurfaceFrameV, down, left - 10, top - 10), 0) << "left";
      EXPECT_EQ(Mismatches(SurfaceFrameV, down, right, top, true, false), 0) << "right";
      EXPECT_TRUE(OnlyInside(left - 10, top - 10, right + 10, bottom + 10));
    }
}

TEST_F(PlayArea, LargestAndSmallestAreasAtTheirPlaces) {
  Clear();
  DrawPlayArea(Set, Settings, 10, 14, false);
  EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 40, 17), 0);
  EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 310, 407), 0);
  EXPECT_TRUE(OnlyInside(30, 7, 350, 447));
  EXPECT_FALSE(Untouched(30, 7, 31, 447));  // the frame reaches its outer edges
  EXPECT_FALSE(Untouched(349, 7, 350, 447));

  Clear();
  DrawPlayArea(Set, Settings, 5, 7, false);
  EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 115, 122), 0);
  EXPECT_TRUE(OnlyInside(105, 112, 275, 342));
  EXPECT_FALSE(Untouched(105, 112, 275, 113));
  EXPECT_FALSE(Untouched(105, 341, 275, 342));
}

// The bars' beads are symmetric, so the strips are marked along one edge to see the mirroring.
TEST_F(PlayArea, BottomAndRightBarsAreMirrorImagesNotCopies) {
  constexpr uint32_t Mark = 0x00FF00FF;
  for (uint32_t& p : Set[SurfaceFrameH].Pixels->Row(0)) p = Mark;
  for (int y = 0; y < 430; ++y) Set[SurfaceFrameV].Pixels->Row(y)[0] = Mark;
  Clear();
  DrawPlayArea(Set, Settings, 10, 14, false);
  const auto marked = [&](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (At(x, y) != Mark) return false;
    return true;
  };
  EXPECT_TRUE(marked(40, 7, 350, 8));      // top: the strip's first row on the outside
  EXPECT_TRUE(marked(30, 446, 340, 447));  // bottom: mirrored, the first row again outside
  EXPECT_FALSE(marked(30, 437, 340, 438));
  EXPECT_TRUE(marked(30, 7, 31, 437));     // left
  EXPECT_TRUE(marked(349, 17, 350, 447));  // right: mirrored
  EXPECT_FALSE(marked(340, 17, 341, 447));
}

TEST_F(PlayArea, PiecesShowTheirTileAtTheirCorners) {
  Game.AreaWidth = 7;
  Game.AreaHeight = 10;
  FillTiles(7, 10, 0);
  Settings.Areas[2][5] = std::make_unique<TArea>(3);  // faded green
  Settings.Bubbles[2][5] = std::make_unique<TBubble>(ComponentRed);
  Settings.Bubbles[4][9] = std::make_unique<TBubble>(ComponentGreen | ComponentBlue);
  Clear();
  DrawGame(Set, Game);
  const int x = 85 + 60, y = 77 + 150;
  EXPECT_EQ(WholeMismatches(SurfaceRed, x, y), 0);
  EXPECT_EQ(WholeMismatches(SurfaceGreenBlue, 85 + 120, 77 + 270), 0);
  EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 85, 77), 0);
  // Where the disc leaves its key colour, the green tile shows.
  const platform::Surface& piece = Picture(SurfaceRed);
  const platform::Surface& tile = Picture(SurfaceAGreen);
  int corners = 0;
  for (int j = 0; j < 30; ++j)
    for (int i = 0; i < 30; ++i)
      if (piece.Row(j)[i] == KeyPaleYellow) {
        ++corners;
        EXPECT_EQ(At(x + i, y + j), tile.Row(j)[i]);
      }
  EXPECT_GT(corners, 0);
}

TEST_F(PlayArea, MissingOrUnknownTilesShowTheEmptyCell) {
  Game.AreaWidth = 5;
  Game.AreaHeight = 7;
  Settings.Areas[1][1] = std::make_unique<TArea>(9);
  Settings.Areas[2][2] = std::make_unique<TArea>(255);
  Clear();
  DrawGame(Set, Game);
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 7; ++r) EXPECT_EQ(WholeMismatches(SurfaceGamePlayArea, 115 + 30 * c, 122 + 30 * r), 0);
}

// A board whose size lies outside the game's rules is drawn at the nearest size the grids hold.
TEST_F(PlayArea, SizesOutOfRangeAreDrawnClamped) {
  struct Case {
    uint16_t Width, Height, ShownWidth, ShownHeight;
  };
  const Case cases[] = {{0, 0, 5, 7}, {11, 15, 10, 14}, {65535, 3, 10, 7}, {4, 65535, 5, 14}};
  FillTiles(MaxAreaWidth, MaxAreaHeight, 2);
  for (int c = 0; c < MaxAreaWidth; ++c) Settings.Bubbles[c][MaxAreaHeight - 1] = std::make_unique<TBubble>(4);
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.Width << " x " << k.Height);
    Game.AreaWidth = k.ShownWidth;
    Game.AreaHeight = k.ShownHeight;
    Clear();
    DrawGame(Set, Game);
    const std::vector<uint32_t> expected(Back().Row(0).data(), Back().Row(0).data() + 632 * 453);
    Game.AreaWidth = k.Width;
    Game.AreaHeight = k.Height;
    Clear();
    DrawGame(Set, Game);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), Back().Row(0).data()));
  }
}

}  // namespace
