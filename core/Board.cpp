#include "core/Area.h"

void TSettings::ClearBoard() {
  for (auto& column : Bubbles)
    for (auto& cell : column) cell.reset();
  for (auto& column : Areas)
    for (auto& cell : column) cell.reset();
}
