// The demo's player: when a bubble enters it values every column and picks one; on the
// following ticks it steers the bubble sideways towards it.
#include <algorithm>

#include "core/ColourRules.h"
#include "core/Game.h"

namespace {

// A cell without a tile counts as a plain cell.
uint8_t TileAt(const TSettings& settings, int column, int row) {
  const TArea* tile = settings.Areas[column][row].get();
  return tile != nullptr ? tile->GetValue() : 0;
}

}  // namespace

void TGame::ChooseDemoColumn() {
  if (MovingBubble() == nullptr) return;
  const auto& bubbles = Settings.Bubbles;

  // A diagonal cell that lies above row 0 counts as blocked: a rising bubble that reaches
  // row 0 comes to rest there and can go no further sideways.
  const auto freeCell = [&](int column, int row) { return row >= 0 && bubbles[column][row] == nullptr; };

  DemoBestValue = 0;
  for (int c = 0; c < AreaWidth; ++c) {
    DemoColumn = static_cast<int16_t>(c);
    DemoValue = 0;
    DemoRow = static_cast<int16_t>(BubbleRow - 2);
    while (DemoRow >= 0 && bubbles[c][DemoRow] == nullptr) --DemoRow;

    if (DemoRow >= 0 && c != BubbleColumn) {
      // An obstacle in another column: the column counts only when the rising diagonal
      // towards it is clear.
      const int step = c > BubbleColumn ? 1 : -1;
      for (int j = BubbleColumn + step;; j += step) {
        const int d = (j - BubbleColumn) * step;
        const bool clear = j == c ? freeCell(c, BubbleRow - d) : freeCell(j, BubbleRow - 1 - d);
        if (!clear) {
          DemoRow = -2;
          break;
        }
        if (j == c) break;
      }
    }
    if (DemoRow != -2) EvaluateColumn();

    if (DemoValue > DemoBestValue) {
      DemoBestValue = DemoValue;
      DemoTargetColumn = static_cast<int16_t>(c);
    }
  }
}

void TGame::EvaluateColumn() {
  const int width = AreaWidth;
  const int c = DemoColumn;
  if (c < 0 || c >= width || MovingBubble() == nullptr) return;
  auto& bubbles = Settings.Bubbles;
  auto& moving = bubbles[BubbleColumn][BubbleRow];
  const uint8_t k = moving->GetColour();

  // The resting row: the first row below the obstacle whose tile takes the bubble. An occupied
  // cell on the way (a bubble resting under empty cells) cannot take the trial bubble.
  DemoRow = static_cast<int16_t>(std::max(DemoRow + 1, 0));
  while (DemoRow < BubbleRow) {
    if (bubbles[c][DemoRow] != nullptr) return;
    if (CanRestOn(k, TileAt(Settings, c, DemoRow))) break;
    ++DemoRow;
  }
  if (DemoRow >= BubbleRow) return;
  const int row = DemoRow;
  DemoValue += BubbleRow - row;

  TBubble* above = row > 0 ? bubbles[c][row - 1].get() : nullptr;
  TBubble* left = c > 0 ? bubbles[c - 1][row].get() : nullptr;
  TBubble* right = c < width - 1 ? bubbles[c + 1][row].get() : nullptr;
  const uint8_t aboveBefore = above != nullptr ? above->GetColour() : 0;
  const uint8_t leftBefore = left != nullptr ? left->GetColour() : 0;
  const uint8_t rightBefore = right != nullptr ? right->GetColour() : 0;

  // Trial placement: the moving bubble itself is lent to the trial cell and given back below.
  bubbles[c][row] = std::move(moving);
  TBubble* trial = bubbles[c][row].get();
  ResolveBubble(Settings, static_cast<int16_t>(c), static_cast<int16_t>(row), AreaWidth);

  const auto occupied = [&](int column, int r) { return bubbles[column][r] != nullptr; };
  if (RowState(Settings, static_cast<int16_t>(row), AreaWidth) == RowAllBlack) {
    DemoValue += 2000;
    DemoLineFound = true;
  } else if (row > 0 && RowState(Settings, static_cast<int16_t>(row - 1), AreaWidth) == RowAllBlack && !DemoLineFound) {
    DemoValue += 1000;
    DemoLineFound = true;
  } else {
    // Cancelled components are worth 2 each; a component left on a bubble shut in on both
    // sides costs 6.
    const auto value = [&](uint8_t before, uint8_t after, bool enclosed) {
      DemoValue += 2 * (ComponentCount(before) - ComponentCount(after));
      if (enclosed) DemoValue -= 6 * ComponentCount(after);
    };
    if (above != nullptr) {
      const bool enclosed = (c == 0 || occupied(c - 1, row - 1)) && (c == width - 1 || occupied(c + 1, row - 1));
      value(aboveBefore, above->GetColour(), enclosed);
    }
    if (left != nullptr) value(leftBefore, left->GetColour(), c - 1 == 0 || occupied(c - 2, row));
    if (right != nullptr) value(rightBefore, right->GetColour(), c + 1 == width - 1 || occupied(c + 2, row));
    const bool trialEnclosed = (c == 0 && occupied(1, row)) || (c == width - 1 && occupied(width - 2, row)) ||
                               (c > 0 && c < width - 1 && occupied(c - 1, row) && occupied(c + 1, row));
    value(k, trial->GetColour(), trialEnclosed);
    if (row > 0 && !occupied(c, row - 1)) DemoValue -= 2;
  }

  // Undo: every colour as it was, the moving bubble back in its own cell.
  if (above != nullptr) above->SetColour(aboveBefore);
  if (left != nullptr) left->SetColour(leftBefore);
  if (right != nullptr) right->SetColour(rightBefore);
  trial->SetColour(k);
  moving = std::move(bubbles[c][row]);
}

void TGame::DemoSidewaysMove() {
  if (MovingBubble() == nullptr) return;
  auto& bubbles = Settings.Bubbles;
  const uint8_t k = MovingBubble()->GetColour();

  // Steps towards the target, passing over columns that offer no resting place.
  const int step = DemoTargetColumn > BubbleColumn ? 1 : -1;
  int found = NearestRestingColumn(Settings, BubbleColumn, step, BubbleRow, k, AreaWidth);
  if (found < 0) return;
  // The step comes before this tick deals with the last landing; if the bubble is about to rest,
  // that landing's rows go first, so that the new landing does not replace it unseen.
  if (LandedRow != -1 && BubbleRow > 0 && bubbles[found][BubbleRow - 1] != nullptr) {
    RemoveLandedRows(TopLevel);
    if (bubbles[BubbleColumn][BubbleRow] == nullptr) return;
    found = NearestRestingColumn(Settings, BubbleColumn, step, BubbleRow, k, AreaWidth);
    if (found < 0) return;
  }

  Host.PlayAudio(SoundPlayLeftRight);
  bubbles[found][BubbleRow] = std::move(bubbles[BubbleColumn][BubbleRow]);
  BubbleColumn = static_cast<int16_t>(found);
  if (BubbleRow > 0 && bubbles[BubbleColumn][BubbleRow - 1] != nullptr) {
    ComeToRest();
    BubbleInFlight = false;
  }
}
