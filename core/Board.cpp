#include "core/Area.h"

void TSettings::ClearBoard() {
  for (auto& column : Bubbles)
    for (auto& cell : column) cell.reset();
  for (auto& column : Areas)
    for (auto& cell : column) cell.reset();
}

void TSettings::AddScore(uint32_t amount) {
  Score += amount;
  if (Score > BestScore) BestScore = Score;
}

void TSettings::ResetScore() { Score = 0; }
