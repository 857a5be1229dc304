// The player's moves during a game: sideways moves, the rise at once, the pause and its end.
#include <algorithm>

#include "core/ColourRules.h"
#include "core/Game.h"

// Moves the bubble one column left (-1) or right (+1), or in the Advanced rules to the nearest
// column in that direction that offers a resting place; the cell beside it must be free.
void TGame::MoveSideways(int step) {
  auto& bubbles = Settings.Bubbles;
  if (MovingBubble() == nullptr || BubbleColumn == LandedColumn) return;
  const auto targetColumn = [&]() -> int {
    const int next = BubbleColumn + step;
    if (next < 0 || next >= AreaWidth || bubbles[next][BubbleRow] != nullptr) return -1;
    // In the Advanced rules the bubble carries on past columns that offer no resting place.
    return AdvancedGame == 1 ? NearestRestingColumn(Settings, BubbleColumn, step, BubbleRow,
                                                    MovingBubble()->GetColour(), AreaWidth)
                             : next;
  };
  const auto restsIn = [&](int column) { return BubbleRow > 0 && bubbles[column][BubbleRow - 1] != nullptr; };

  int target = targetColumn();
  if (target < 0) return;
  // About to rest while the last landing still waits for the clock: its rows go first, as that
  // tick would have removed them, and the move is judged again on the board they leave.
  if (LandedRow != -1 && restsIn(target)) {
    RemoveLandedRows(Settings.Level);
    if (MovingBubble() == nullptr) return;
    target = targetColumn();
    if (target < 0) return;
  }

  Host.PlayAudio(SoundPlayLeftRight);
  bubbles[target][BubbleRow] = std::move(bubbles[BubbleColumn][BubbleRow]);
  BubbleColumn = static_cast<int16_t>(target);

  // Slid under a bubble: it rests at once and the next one enters without waiting for the clock.
  if (restsIn(BubbleColumn)) {
    ComeToRest();
    BubbleInFlight = false;
    AdvanceGame();
  }
}

void TGame::PlayLeft() {
  InputBegins(TReplayInput::Left);
  MoveSideways(-1);
  InputDone();
}

void TGame::PlayRight() {
  InputBegins(TReplayInput::Right);
  MoveSideways(+1);
  InputDone();
}

// Sends the bubble straight up for 10 points a row. In the Advanced rules it stops on the
// highest tile it may rest on within the run of empty cells above it.
void TGame::PlayUp() {
  InputBegins(TReplayInput::Up);
  RiseAtOnce();
  InputDone();
}

void TGame::RiseAtOnce() {
  auto& bubbles = Settings.Bubbles;
  TBubble* bubble = MovingBubble();
  if (bubble == nullptr || LandedRow == BubbleRow) return;
  // The bubble always comes to rest: a landing still waiting for the clock has its rows removed
  // first, as that tick would have done, so that the new landing does not replace it unseen.
  if (LandedRow != -1) {
    RemoveLandedRows(Settings.Level);
    bubble = MovingBubble();
    if (bubble == nullptr) return;
  }
  Host.PlayAudio(SoundPlayUp);

  int16_t row = BubbleRow;
  while (row > 0 && bubbles[BubbleColumn][row - 1] == nullptr) {
    if (AdvancedGame == 1 && ScanUpward(Settings, BubbleColumn, row, bubble->GetColour()) == ScanResult::Blocked)
      break;
    --row;
    Settings.AddScore(10);
  }

  // BubbleRow itself is left alone: the tick that follows lets the next bubble enter.
  LandedColumn = BubbleColumn;
  LandedRow = row;
  if (row != BubbleRow) bubbles[BubbleColumn][row] = std::move(bubbles[BubbleColumn][BubbleRow]);
  ResolveBubble(Settings, LandedColumn, LandedRow, AreaWidth);
  BubbleInFlight = false;
  AdvanceGame();
}

void TGame::PlayEscape() {
  InputBegins(TReplayInput::Escape);
  StopClock();
  Host.PlayAudio(SoundMenuIn);
  Pause();
  InputDone();
}

void TGame::FocusLost() {
  InputBegins(TReplayInput::FocusLost);
  StopClock();
  Pause();
  InputDone();
}

void TGame::Pause() {
  Settings.Screen = ScreenGameMenu;
  Settings.MenuItem = ItemResumeGame;
}

void TGame::ResumeGame() {
  InputBegins(TReplayInput::Resume);
  Host.PlayAudio(SoundMenuIn);
  Settings.Screen = ScreenPlaying;
  Host.StartClock(Settings.LevelIntervals[std::min(Settings.GetLevel(), TopLevel)]);
  InputDone();
}
