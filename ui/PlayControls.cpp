// The player's actions during a game: sideways moves, the rise at once, and the pause.
#include "core/ColourRules.h"
#include "shell/Window.h"

namespace {

// The moving bubble, or null when there is none to act on.
TBubble* MovingBubble(TFormWindow& w) {
  if (w.BubbleColumn < 0 || w.BubbleColumn >= w.AreaWidth || w.BubbleRow < 0 || w.BubbleRow >= w.AreaHeight)
    return nullptr;
  return w.Settings.Bubbles[w.BubbleColumn][w.BubbleRow].get();
}

bool Occupied(const TFormWindow& w, int column, int row) { return w.Settings.Bubbles[column][row] != nullptr; }

// Moves the bubble one column left (-1) or right (+1), or in the Advanced rules to the nearest
// column in that direction that offers a resting place; the cell beside it must be free.
void MoveSideways(TFormWindow& w, int step) {
  TBubble* bubble = MovingBubble(w);
  if (bubble == nullptr || w.BubbleColumn == w.LandedColumn) return;
  const int next = w.BubbleColumn + step;
  if (next < 0 || next >= w.AreaWidth || Occupied(w, next, w.BubbleRow)) return;

  // In the Advanced rules the bubble carries on past columns that offer no resting place.
  const int target = w.AdvancedGame == 1
                         ? NearestRestingColumn(w.Settings, w.BubbleColumn, step, w.BubbleRow, bubble->GetColour(), w.AreaWidth)
                         : next;
  if (target < 0) return;

  w.PlayAudio(SoundPlayLeftRight);
  auto& bubbles = w.Settings.Bubbles;
  bubbles[target][w.BubbleRow] = std::move(bubbles[w.BubbleColumn][w.BubbleRow]);
  w.BubbleColumn = static_cast<int16_t>(target);

  // Slid under a bubble: it rests at once and the next one enters without waiting for the clock.
  if (w.BubbleRow > 0 && Occupied(w, w.BubbleColumn, w.BubbleRow - 1)) {
    w.ComeToRest();
    w.BubbleInFlight = false;
    w.GameTick();
  }
}

}  // namespace

void TFormWindow::PlayLeft() { MoveSideways(*this, -1); }

void TFormWindow::PlayRight() { MoveSideways(*this, +1); }

// Sends the bubble straight up for 10 points a row. In the Advanced rules it stops on the
// highest tile it may rest on within the run of empty cells above it.
void TFormWindow::PlayUp() {
  TBubble* bubble = MovingBubble(*this);
  if (bubble == nullptr || LandedRow == BubbleRow) return;
  PlayAudio(SoundPlayUp);

  int16_t row = BubbleRow;
  while (row > 0 && !Occupied(*this, BubbleColumn, row - 1)) {
    if (AdvancedGame == 1 && ScanUpward(Settings, BubbleColumn, row, bubble->GetColour()) == ScanResult::Blocked)
      break;
    --row;
    Settings.AddScore(10);
  }

  // BubbleRow itself is left alone: the tick that follows lets the next bubble enter.
  LandedColumn = BubbleColumn;
  LandedRow = row;
  if (row != BubbleRow) Settings.Bubbles[BubbleColumn][row] = std::move(Settings.Bubbles[BubbleColumn][BubbleRow]);
  ResolveBubble(Settings, LandedColumn, LandedRow, AreaWidth);
  BubbleInFlight = false;
  GameTick();
}

void TFormWindow::PlayEscape() {
  StopClock();
  PlayAudio(SoundMenuIn);
  Settings.Screen = ScreenGameMenu;
  Settings.MenuItem = ItemResumeGame;
}
