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
  EndRecording();
  Host.PlayAudio(SoundPlayLevel);
  Settings.Screen = ScreenPlaying;
  // A stored start level beyond the last level plays as the last level (SetLevel).
  StartGame(Settings.SetLevel(Settings.GetStartLevel()), true);
}

void TGame::StartDemo() {
  EndRecording();
  Reseed();
  AreaWidth = static_cast<uint16_t>(Random.Next(6) + MinAreaWidth);
  Reseed();
  AreaHeight = static_cast<uint16_t>(Random.Next(8) + MinAreaHeight);
  StartGame(Settings.LevelIntervals[TopLevel], false);
}

void TGame::StartGame(uint16_t period, bool isPlayer) {
  DemoTargetColumn = -1;
  Settings.ResetScore();
  Settings.LevelBubbles = 0;
  Settings.BestScore = Settings.HighScores[0];

  // The stored play-area size is not checked when read: it is brought into range here, once,
  // and the game relies on it from then on.
  AreaWidth = std::clamp<uint16_t>(AreaWidth, MinAreaWidth, MaxAreaWidth);
  AreaHeight = std::clamp<uint16_t>(AreaHeight, MinAreaHeight, MaxAreaHeight);
  SpawnColumn = AreaWidth / 2;

  // With an even width the entry column alternates between the two middle columns,
  // starting with the left one.
  SpawnAlternates = AreaWidth % 2 == 0;
  SpawnShift = SpawnAlternates ? 1 : 0;

  // The recording of a player's game begins before the tiles take their first random draw.
  if (isPlayer && Recorder.Enabled) Recorder.Begin(*this);
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

  AdvanceGame();  // the first bubble enters at once
  Host.StartClock(period);
}

void TGame::FillAreaRows(uint16_t level) {
  for (int i = 0; i < AreaHeight; ++i) PushAreaRow(level, 0);
}

void TGame::PushAreaRow(uint16_t level, int16_t row) {
  auto& areas = Settings.Areas;
  for (int c = 0; c < AreaWidth; ++c) {
    areas[c][row].reset();
    for (int r = row; r < AreaHeight - 1; ++r) areas[c][r] = std::move(areas[c][r + 1]);
  }

  // At most one A-tile in the new bottom row: the chance first, then its value, then its column.
  const TileDraw draw = TileDrawFor(level);
  int tileColumn = -1;
  uint8_t value = 0;
  if (draw.Always || Random.Next(2) % 2 == 1) {
    value = static_cast<uint8_t>(draw.Lowest + Random.Next(draw.Highest - draw.Lowest + 1u));
    tileColumn = static_cast<int>(Random.Next(AreaWidth));
  }
  for (int c = 0; c < AreaWidth; ++c)
    areas[c][AreaHeight - 1] = std::make_unique<TArea>(c == tileColumn ? value : uint8_t{0});
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

TBubble* TGame::BubbleAt(int column, int row) {
  if (column < 0 || column >= AreaWidth || row < 0 || row >= AreaHeight) return nullptr;
  return Settings.Bubbles[column][row].get();
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
  auto& bubbles = Settings.Bubbles;
  int count = 0;
  int top = LandedRow;
  const auto removeRow = [&](int16_t row) {
    for (int c = 0; c < AreaWidth; ++c) bubbles[c][row].reset();
    ++count;
    top = row;
    if (AdvancedGame == 1 || !player) PushAreaRow(level, row);
  };
  if (LandedRow != -1 && RowState(Settings, LandedRow, AreaWidth) == RowAllBlack) removeRow(LandedRow);
  if (LandedRow > 0 && RowState(Settings, static_cast<int16_t>(LandedRow - 1), AreaWidth) == RowAllBlack)
    removeRow(static_cast<int16_t>(LandedRow - 1));

  if (count > 0) {
    Host.PlayAudio(SoundPlayLine);
    if (player) Settings.AddScore(static_cast<uint32_t>(AreaWidth * AreaHeight * (count == 1 ? 10 : 50)));
    // The rows below move up; the bubble that has just entered keeps its cell (and a bubble is
    // never moved onto it).
    const bool keepEntered = MovingBubble() != nullptr;
    for (int c = 0; c < AreaWidth; ++c) {
      for (int r = top + count; r < AreaHeight; ++r) {
        if (keepEntered && c == BubbleColumn && r == BubbleRow) continue;
        auto& to = bubbles[c][r - count];
        if (to == nullptr) to = std::move(bubbles[c][r]);
      }
    }
    DemoLineFound = false;
  }
  LandedRow = LandedColumn = -1;
}

// The bubble in flight rises one row, or comes to rest where it is. True while it is still in
// flight, so that the next bubble waits.
bool TGame::RiseOrRest(bool player) {
  const TBubble* bubble = MovingBubble();
  // A bubble in flight that sat in a removed row (a black bubble resting in its entry cell can
  // complete the bottom row) went with it: there is nothing left to move, and the next bubble
  // enters in this same tick.
  if (bubble == nullptr) {
    BubbleColumn = BubbleRow = -1;
    return false;
  }
  if (BubbleRow > 0 && BubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) {
    const bool rises = (AdvancedGame != 1 && player) ||
                       ScanUpward(Settings, BubbleColumn, BubbleRow, bubble->GetColour()) == ScanResult::Found;
    if (rises) {
      auto& bubbles = Settings.Bubbles;
      bubbles[BubbleColumn][BubbleRow - 1] = std::move(bubbles[BubbleColumn][BubbleRow]);
      BubbleRow -= 1;
      Host.PlayAudio(SoundPlayMove);
      if (player) Settings.AddScore(10);
      if (BubbleRow > 0 && BubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) {
        BubbleInFlight = true;
        return true;
      }
    }
  }
  ComeToRest();
  return false;
}

// The next bubble enters the entry cell with a random colour, and rests there at once when
// nothing above lets it rise. False when the entry cell is still taken: the game is over, and
// the demo begins a new game.
bool TGame::EnterOrEndGame(bool player, uint16_t level) {
  BubbleRow = static_cast<int16_t>(AreaHeight - 1);
  BubbleColumn = static_cast<int16_t>(SpawnColumn);
  if (SpawnAlternates) {
    BubbleColumn = static_cast<int16_t>(BubbleColumn - SpawnShift);
    SpawnShift ^= 1;
  }

  if (MovingBubble() != nullptr) {
    StopClock();
    if (player) {
      Settings.Screen = ScreenGameOver;
      Host.EnableGameOverTimer();
    } else {
      StartDemo();
    }
    return false;
  }

  Reseed();
  const auto colour = static_cast<uint8_t>(Random.Next(8));
  Settings.Bubbles[BubbleColumn][BubbleRow] = std::make_unique<TBubble>(colour);
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
  return true;
}

// Every bubble of a player's game counts towards the next level, whose faster clock starts at
// once.
void TGame::AdvanceLevel() {
  const uint16_t period = AdvanceLevelCounter();
  if (period == 0) return;
  Host.PlayAudio(SoundPlayLevel);
  StopClock();
  Host.StartClock(period);
}

void TGame::AdvanceGame() {
  const bool player = Settings.Screen == ScreenPlaying;
  // The demo's sideways step; its new tile rows are always those of the top level.
  const bool demoSteers = !player && DemoTargetColumn != -1;
  if (demoSteers && BubbleColumn != DemoTargetColumn) DemoSidewaysMove();
  const uint16_t level = demoSteers ? TopLevel : Settings.Level;

  if (BubbleInFlight) {
    RemoveLandedRows(level);
    BubbleInFlight = false;
    if (RiseOrRest(player)) return;
  }
  if (!EnterOrEndGame(player, level)) return;
  if (player) AdvanceLevel();
  DemoTargetColumn = -1;
  BubbleInFlight = true;
  // A bubble that can rise gives the demo a column to steer for, even one that rests at once.
  if (!player && BubbleAt(BubbleColumn, BubbleRow - 1) == nullptr) ChooseDemoColumn();
}

void TGame::GameTick() {
  InputBegins(TReplayInput::Tick);
  AdvanceGame();
  Host.ComposeScreen();
  InputDone();
}
