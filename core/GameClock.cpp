// The game clock: rising bubbles, row removal, scoring, levels and game over, for the
// player's game and for the demo game that plays itself behind the menus.
#include <algorithm>

#include "core/ColourRules.h"
#include "core/Game.h"

namespace {

// Tile values a new bottom row may draw from at a level, and whether it always gets one.
struct TileDraw {
  bool Always;
  uint8_t Lowest, Highest;
};

TileDraw TileDrawFor(uint16_t level) {
  switch (level) {
    case 0: return {false, 2, 4};
    case 1: return {false, 1, 4};
    case 2: return {false, 1, 7};
    case 3: return {false, 1, 8};
    case 4: return {true, 2, 4};
    case 5: return {true, 1, 4};
    case 6: return {true, 1, 7};
    default: return {true, 1, 8};
  }
}

}  // namespace

TGame::TGame(TSettings& settings, IGameHost& host)
    : Settings(settings), Host(host), TickCount(SystemTickCount()) {}

void TGame::StopClock() { Host.StopClock(); }

void TGame::BeginPlay() {
  Host.PlayAudio(SoundPlayLevel);
  Settings.Screen = ScreenPlaying;
  // A stored start level beyond the last level plays as the last level (SetLevel).
  StartGame(Settings.SetLevel(Settings.GetStartLevel()), true);
}

void TGame::StartDemo() {
  Random.Seed(TickCount());
  AreaWidth = static_cast<uint16_t>(Random.Next(6) + MinAreaWidth);
  SpawnColumn = AreaWidth / 2;
  Random.Seed(TickCount());
  AreaHeight = static_cast<uint16_t>(Random.Next(8) + MinAreaHeight);
  StartGame(Settings.LevelIntervals[TopLevel], false);
}

void TGame::StartGame(uint16_t period, bool isPlayer) {
  DemoTargetColumn = -1;
  Settings.ResetScore();
  Settings.LevelBubbles = 0;
  Settings.BestScore = Settings.HighScores[0];

  // The stored play-area size is not checked when read: bring it into range before it
  // is used to index the board.
  AreaWidth = std::clamp<uint16_t>(AreaWidth, MinAreaWidth, MaxAreaWidth);
  AreaHeight = std::clamp<uint16_t>(AreaHeight, MinAreaHeight, MaxAreaHeight);
  SpawnColumn = AreaWidth / 2;

  // With an even width the entry column alternates between the two middle columns,
  // starting with the left one.
  SpawnAlternates = AreaWidth % 2 == 0;
  SpawnShift = SpawnAlternates ? 1 : 0;

  Settings.ClearBoard();
  if (!isPlayer) {
    FillAreaRows(TopLevel);
  } else if (Settings.GetFlag(FlagGameMode) == 1) {  // only mode 1 is Advanced
    AdvancedGame = 1;
    FillAreaRows(Settings.Level);
  } else {
    AdvancedGame = 0;
    for (int c = 0; c < AreaWidth; ++c)
      for (int r = 0; r < AreaHeight; ++r) Settings.Areas[c][r] = std::make_unique<TArea>(0);
  }

  BubbleInFlight = false;
  BubbleRow = BubbleColumn = LandedRow = LandedColumn = -1;

  GameTick();
  Host.StartClock(period);
}

void TGame::FillAreaRows(uint16_t level) {
  for (int i = 0; i < std::min<int>(AreaHeight, MaxAreaHeight); ++i) PushAreaRow(level, 0);
}

void TGame::PushAreaRow(uint16_t level, int16_t row) {
  const int width = std::min<int>(AreaWidth, MaxAreaWidth);
  const int height = std::min<int>(AreaHeight, MaxAreaHeight);
  if (width == 0 || row < 0 || row >= height) return;
  auto& areas = Settings.Areas;

  for (int c = 0; c < width; ++c) {
    areas[c][row].reset();
    for (int r = row; r < height - 1; ++r) areas[c][r] = std::move(areas[c][r + 1]);
  }

  // At most one A-tile in the new bottom row: the chance first, then its value, then its column.
  const TileDraw draw = TileDrawFor(level);
  int tileColumn = -1;
  uint8_t value = 0;
  if (draw.Always || Random.Next(2) % 2 == 1) {
    value = static_cast<uint8_t>(draw.Lowest + Random.Next(draw.Highest - draw.Lowest + 1u));
    tileColumn = static_cast<int>(Random.Next(static_cast<uint32_t>(width)));
  }
  for (int c = 0; c < width; ++c)
    areas[c][height - 1] = std::make_unique<TArea>(c == tileColumn ? value : uint8_t{0});
}

uint16_t TGame::AdvanceLevelCounter() {
  if (Settings.LevelBubbles == 50 && Settings.Level < TopLevel) {
    Settings.LevelBubbles = 1;
    Settings.Level += 1;
    return Settings.LevelIntervals[Settings.Level];
  }
  // At the top level the counter keeps counting; it wraps rather than overflow in a long game.
  Settings.LevelBubbles = static_cast<uint16_t>(Settings.LevelBubbles + 1);
  return 0;
}

void TGame::ComeToRest() {
  LandedColumn = BubbleColumn;
  LandedRow = BubbleRow;
  ResolveBubble(Settings, LandedColumn, LandedRow, AreaWidth);
}

// Rows completed by the last bubble to rest, only its own row and the row above it: removed and
// scored, the rows below moved up (the bubble in flight keeps its cell), the landing forgotten.
void TGame::RemoveLandedRows(uint16_t level) {
  const bool player = Settings.Screen == ScreenPlaying;
  const int width = std::min<int>(AreaWidth, MaxAreaWidth);
  const int height = std::min<int>(AreaHeight, MaxAreaHeight);
  auto& bubbles = Settings.Bubbles;
  if (LandedRow >= 0 && LandedRow < height) {
    const bool newTiles = AdvancedGame == 1 || !player;
    int count = 0;
    int top = LandedRow;
    const auto removeRow = [&](int16_t row) {
      for (int c = 0; c < width; ++c) bubbles[c][row].reset();
      ++count;
      top = row;
      if (newTiles) PushAreaRow(level, row);
    };
    if (RowState(Settings, LandedRow, AreaWidth) == RowAllBlack) removeRow(LandedRow);
    if (LandedRow > 0 && RowState(Settings, static_cast<int16_t>(LandedRow - 1), AreaWidth) == RowAllBlack)
      removeRow(static_cast<int16_t>(LandedRow - 1));

    if (count > 0) {
      Host.PlayAudio(SoundPlayLine);
      if (player) Settings.AddScore(static_cast<uint32_t>(AreaWidth * AreaHeight * (count == 1 ? 10 : 50)));
      // The rows below move up; the bubble that has just entered keeps its cell (and a
      // bubble is never moved onto it).
      const bool keepEntered = BubbleColumn >= 0 && BubbleColumn < width && BubbleRow >= 0 && BubbleRow < height &&
                               bubbles[BubbleColumn][BubbleRow] != nullptr;
      for (int c = 0; c < width; ++c) {
        for (int r = top + count; r < height; ++r) {
          if (keepEntered && c == BubbleColumn && r == BubbleRow) continue;
          auto& to = bubbles[c][r - count];
          if (to == nullptr) to = std::move(bubbles[c][r]);
        }
      }
      DemoLineFound = false;
    }
  }
  LandedRow = LandedColumn = -1;
}

void TGame::GameTick() {
  const bool player = Settings.Screen == ScreenPlaying;
  uint16_t level = Settings.Level;
  const int width = std::min<int>(AreaWidth, MaxAreaWidth);
  const int height = std::min<int>(AreaHeight, MaxAreaHeight);
  if (width == 0 || height == 0) {  // no game has been set up yet
    Host.ComposeScreen();
    return;
  }
  auto& bubbles = Settings.Bubbles;
  const auto bubbleAt = [&](int column, int row) -> TBubble* {
    if (column < 0 || column >= width || row < 0 || row >= height) return nullptr;
    return bubbles[column][row].get();
  };

  // The demo's sideways step; its new tile rows are always those of the top level.
  if (!player && DemoTargetColumn != -1) {
    if (BubbleColumn != DemoTargetColumn) DemoSidewaysMove();
    level = TopLevel;
  }

  if (BubbleInFlight) {
    RemoveLandedRows(level);
    BubbleInFlight = false;

    // A bubble in flight that sat in a removed row (a black bubble resting in its entry cell
    // can complete the bottom row) went with it: there is nothing left to move, and the next
    // bubble enters in this same tick.
    if (bubbleAt(BubbleColumn, BubbleRow) == nullptr) {
      BubbleColumn = BubbleRow = -1;
    } else if (BubbleRow > 0 && bubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) {
      const uint8_t colour = bubbleAt(BubbleColumn, BubbleRow)->GetColour();
      const bool rises = (AdvancedGame != 1 && player) ||
                         ScanUpward(Settings, BubbleColumn, BubbleRow, colour) == ScanResult::Found;
      if (rises) {
        bubbles[BubbleColumn][BubbleRow - 1] = std::move(bubbles[BubbleColumn][BubbleRow]);
        BubbleRow -= 1;
        Host.PlayAudio(SoundPlayMove);
        if (player) Settings.AddScore(10);
        if (BubbleRow > 0 && bubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) {
          BubbleInFlight = true;
          Host.ComposeScreen();
          return;
        }
      }
      ComeToRest();
    } else {
      ComeToRest();
    }
  }

  if (!BubbleInFlight) {
    BubbleRow = static_cast<int16_t>(height - 1);
    BubbleColumn = static_cast<int16_t>(SpawnColumn);
    if (SpawnAlternates) {
      BubbleColumn = static_cast<int16_t>(BubbleColumn - SpawnShift);
      SpawnShift ^= 1;
    }
    BubbleColumn = static_cast<int16_t>(std::clamp<int>(BubbleColumn, 0, width - 1));

    if (bubbleAt(BubbleColumn, BubbleRow) != nullptr) {
      StopClock();
      if (player) {
        Settings.Screen = ScreenGameOver;
        Host.EnableGameOverTimer();
      } else {
        StartDemo();
      }
      Host.ComposeScreen();
      return;
    }

    Random.Seed(TickCount());
    const auto colour = static_cast<uint8_t>(Random.Next(8));
    bubbles[BubbleColumn][BubbleRow] = std::make_unique<TBubble>(colour);
    bool blocked = ScanUpward(Settings, BubbleColumn, BubbleRow, colour) == ScanResult::Blocked;
    // Resting now would replace a landing the clock has not dealt with yet, and its completed
    // rows would never be looked at again. Those rows go first, as the next tick would have
    // removed them, and the board they leave decides whether the new bubble rests. (A landing
    // in this same row needs nothing: the new one looks at the same two rows.)
    if (blocked && LandedRow != -1 && LandedRow != BubbleRow) {
      RemoveLandedRows(level);
      blocked = ScanUpward(Settings, BubbleColumn, BubbleRow, colour) == ScanResult::Blocked;
    }
    if (blocked) ComeToRest();

    if (player) {
      const uint16_t period = AdvanceLevelCounter();
      if (period > 0) {
        Host.PlayAudio(SoundPlayLevel);
        StopClock();
        Host.StartClock(period);
      }
    }

    DemoTargetColumn = -1;
    BubbleInFlight = true;
    if (!player && bubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) ChooseDemoColumn();
  }

  Host.ComposeScreen();
}
