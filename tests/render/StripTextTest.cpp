// Numbers, names and key names cut from the strips, and the two-state menu pictures.
#include <functional>
#include <numeric>

#include "RenderScene.h"
#include "render/GlyphWidths.h"

namespace {

class StripText : public RenderScene {
 protected:
  // The strip's part for a glyph of a width table, with the glyphs before `first` left out.
  static Part Glyph(std::span<const int> widths, std::size_t index, int height, std::size_t first = 0) {
    const int left = std::accumulate(widths.begin() + first, widths.begin() + index, 0);
    return {left, 0, left + widths[index], height};
  }
  static Part KeyGlyph(std::size_t index, bool selected) {
    Part p = Glyph(KeyGlyphWidths, index, 26);
    if (!selected) p.Top = 26, p.Bottom = 52;
    return p;
  }
  std::vector<uint32_t> Snapshot() { return {Back().Row(0).data(), Back().Row(0).data() + 632 * 453}; }
};

TEST_F(StripText, WidthTablesCutTheStripsWhole) {
  EXPECT_EQ(std::accumulate(KeyGlyphWidths.begin(), KeyGlyphWidths.end(), 0), Picture(SurfaceKeysNumbers).Width());
  EXPECT_EQ(std::accumulate(DigitWidths.begin(), DigitWidths.end(), 0), Picture(SurfaceScoreLevelDigits).Width());
  EXPECT_EQ(std::accumulate(DigitWidths.begin(), DigitWidths.end(), 0), Picture(SurfaceHighScoreDigits).Width());
  // The space has a width but no place in the strips.
  EXPECT_EQ(std::accumulate(BigCharWidths.begin() + 1, BigCharWidths.end(), 0), Picture(SurfaceScoreChars).Width());
  EXPECT_EQ(std::accumulate(SmallCharWidths.begin() + 1, SmallCharWidths.end(), 0),
            Picture(SurfaceHighScoreChars).Width());
}

TEST_F(StripText, NumbersAreCentredInTheirBox) {
  Clear();
  Set[SurfaceScoreLevelDigits].DrawNumber(100, 0);
  EXPECT_EQ(Mismatches(SurfaceScoreLevelDigits, Glyph(DigitWidths, 0, 16), 499, 100), 0);
  EXPECT_TRUE(Untouched(431, 100, 499, 116));
  EXPECT_TRUE(Untouched(513, 100, 581, 116));

  Clear();
  Set[SurfaceHighScoreDigits].DrawNumber(218, 1234567890);
  int x = 441;
  for (const int d : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
    EXPECT_EQ(Mismatches(SurfaceHighScoreDigits, Glyph(DigitWidths, d, 16), x, 218), 0) << d;
    x += DigitWidths[d];
  }
  EXPECT_EQ(x, 441 + 129);
  EXPECT_TRUE(Untouched(431, 218, 441, 234));
}

TEST_F(StripText, TextsAreCentredAndSpacesDrawNothing) {
  Clear();
  Set[SurfaceHighScoreChars].DrawSmallText(120, 110, "AB");
  EXPECT_EQ(Mismatches(SurfaceHighScoreChars, Glyph(SmallCharWidths, CharIndex('A'), 15, 1), 107, 110), 0);
  EXPECT_EQ(Mismatches(SurfaceHighScoreChars, Glyph(SmallCharWidths, CharIndex('B'), 15, 1), 121, 110), 0);
  EXPECT_TRUE(Untouched(0, 110, 107, 125));

  Clear();
  Set[SurfaceScoreChars].DrawBigText(189, "AB");
  EXPECT_EQ(Mismatches(SurfaceScoreChars, Glyph(BigCharWidths, CharIndex('A'), 32, 1), 164, 189), 0);
  EXPECT_EQ(Mismatches(SurfaceScoreChars, Glyph(BigCharWidths, CharIndex('B'), 32, 1), 192, 189), 0);
  EXPECT_TRUE(Untouched(0, 189, 164, 221));

  Clear();
  Set[SurfaceScoreChars].DrawBigText(189, " ");
  Set[SurfaceHighScoreChars].DrawSmallText(120, 110, " ");
  Set[SurfaceHighScoreChars].DrawSmallText(120, 130, "");
  EXPECT_TRUE(Untouched(0, 0, 632, 453));
}

TEST_F(StripText, SelectedItemsShowTheirCyanHalfOnly) {
  Clear();
  Set[SurfaceStartGame].DrawItem(true);
  Set[SurfacePlaySetup].DrawItem(false);
  EXPECT_EQ(HalfMismatches(SurfaceStartGame, 437, 277, true), 0);
  EXPECT_GT(HalfMismatches(SurfaceStartGame, 437, 277, false), 0);
  EXPECT_EQ(HalfMismatches(SurfacePlaySetup, 441, 311, false), 0);
  EXPECT_GT(HalfMismatches(SurfacePlaySetup, 441, 311, true), 0);
  EXPECT_TRUE(Untouched(437, 277 + 26, 437 + 137, 311));
  EXPECT_TRUE(Untouched(441, 311 + 26, 441 + 129, 453));
}

TEST_F(StripText, KeysAreShownByTheirGlyph) {
  Settings.Screen = ScreenKeysSetup;
  Settings.MenuItem = ItemUp;
  Settings.KeyLeft = 103;  // keypad 7
  Settings.KeyRight = 16;  // Shift
  Settings.KeyUp = 38;     // Up arrow
  Compose();
  EXPECT_EQ(Mismatches(SurfaceKeysNumbers, KeyGlyph(12, false), 534, 277), 0);
  EXPECT_EQ(Mismatches(SurfaceKeysNumbers, KeyGlyph(46, false), 534, 311), 0);
  EXPECT_EQ(Mismatches(SurfaceKeysNumbers, KeyGlyph(0, true), 534, 345), 0);  // the selected row
  EXPECT_GT(Mismatches(SurfaceKeysNumbers, KeyGlyph(13, false), 534, 277), 0);
}

// Values that only an edited store can hold are shown as the nearest value of their row;
// characters outside the strips are drawn as spaces; bindings outside the key table show
// no key name; glyph indices without a glyph draw nothing.
TEST_F(StripText, ValuesFromAnEditedStoreNeverReachBeyondTheStrips) {
  struct Case {
    const char* What;
    TScreen Screen;
    std::function<void(TSettings&)> Stored, Shown;
  };
  const Case cases[] = {
      {"start level 12", ScreenPlaySetup, [](TSettings& s) { s.StartLevel = 12; },
       [](TSettings& s) { s.StartLevel = 9; }},
      {"start level -1", ScreenPlaySetup, [](TSettings& s) { s.StartLevel = -1; },
       [](TSettings& s) { s.StartLevel = 0; }},
      {"height 30", ScreenPlaySetup, [](TSettings& s) { s.HeightSetting = 30; },
       [](TSettings& s) { s.HeightSetting = 14; }},
      {"height 0", ScreenPlaySetup, [](TSettings& s) { s.HeightSetting = 0; },
       [](TSettings& s) { s.HeightSetting = 7; }},
      {"width 4", ScreenPlaySetup, [](TSettings& s) { s.WidthSetting = 4; }, [](TSettings& s) { s.WidthSetting = 5; }},
      {"width 11", ScreenPlaySetup, [](TSettings& s) { s.WidthSetting = 11; },
       [](TSettings& s) { s.WidthSetting = 10; }},
      {"mode 3", ScreenPlaySetup, [](TSettings& s) { s.Flags = 0x300; }, [](TSettings& s) { s.Flags = 0; }},
      {"volumes 15", ScreenGameSetup, [](TSettings& s) { s.Flags = 0xFF; }, [](TSettings& s) { s.Flags = 0xAA; }},
      {"names", ScreenHighScores, [](TSettings& s) { s.HighScoreNames[0] = "a?b\xff"; },
       [](TSettings& s) { s.HighScoreNames[0] = "    "; }},
      {"typed name", ScreenCongratulations, [](TSettings& s) { s.HighScoreNames[5] = "Zoe!"; },
       [](TSettings& s) { s.HighScoreNames[5] = "Z   "; }},
      {"binding 300", ScreenKeysSetup, [](TSettings& s) { s.KeyLeft = 300; }, [](TSettings& s) { s.KeyToSet = 1; }},
      {"binding 19", ScreenKeysSetup, [](TSettings& s) { s.KeyUp = 19; }, [](TSettings& s) { s.KeyToSet = 3; }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.What);
    const auto compose = [&](const std::function<void(TSettings&)>& set) {
      Settings.Screen = k.Screen;
      Settings.StartLevel = 3;
      Settings.HeightSetting = 10;
      Settings.WidthSetting = 7;
      Settings.Flags = 0x0155;
      Settings.KeyLeft = 37, Settings.KeyRight = 39, Settings.KeyUp = 38, Settings.KeyToSet = 0;
      Settings.HighScores[0] = 100;
      Settings.HighScoreNames[0] = Settings.HighScoreNames[5] = "ANNA";
      set(Settings);
      Compose();
      return Snapshot();
    };
    const auto stored = compose(k.Stored);
    EXPECT_TRUE(stored == compose(k.Shown));
  }

  Clear();
  Set[SurfaceKeysNumbers].DrawKeyGlyph(534, 277, 49, true);
  Set[SurfaceKeysNumbers].DrawKeyGlyph(534, 311, 0xFFFFFFFFu, false);
  EXPECT_TRUE(Untouched(0, 0, 632, 453));
}

}  // namespace
