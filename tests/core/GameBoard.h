// Shared helpers for the game-core tests: a game on a settings record of its own with a
// recording host, whose tick count (and so every random draw) the test controls, board set-up,
// snapshots and invariants.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "core/Game.h"
#include "core/Random.h"
#include "support/RecordingHost.h"

// The tick count that makes the next entering bubble take this colour.
inline uint32_t SeedForColour(uint8_t colour) {
  for (uint32_t seed = 1;; ++seed) {
    TRandom random;
    random.Seed(seed);
    if (random.Next(8) == colour) return seed;
  }
}

// A game whose tick count is a plain counter, or the queued values when a test has
// queued some (each entering bubble and each demo start reads it).
class GameBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    Current = std::make_unique<TGame>(Settings, Host);
    Current->TickCount = [this] {
      ++TickReads;
      if (!Queued.empty()) {
        const uint32_t next = Queued.front();
        Queued.pop_front();
        return next;
      }
      return ++Counter;
    };
  }

  TGame& W() { return *Current; }
  TSettings& S() { return Settings; }

  // The next bubbles to enter get these colours.
  void QueueColours(std::initializer_list<uint8_t> colours) {
    for (uint8_t colour : colours) Queued.push_back(SeedForColour(colour));
  }

  // A board of the given size with plain tiles and no bubbles, no game running.
  void PlainBoard(uint16_t width, uint16_t height) {
    W().AreaWidth = width;
    W().AreaHeight = height;
    W().SpawnColumn = width / 2;
    S().ClearBoard();
    for (int c = 0; c < width; ++c)
      for (int r = 0; r < height; ++r) S().Areas[c][r] = std::make_unique<TArea>(0);
  }

  void Put(int column, int row, uint8_t colour) { S().Bubbles[column][row] = std::make_unique<TBubble>(colour); }
  void Tile(int column, int row, uint8_t value) { S().Areas[column][row] = std::make_unique<TArea>(value); }
  int ColourAt(int column, int row) {
    const TBubble* bubble = S().Bubbles[column][row].get();
    return bubble != nullptr ? bubble->GetColour() : -1;
  }
  // Fills a row with bubbles of one colour, leaving the listed columns empty.
  void FillRow(int row, uint8_t colour, std::initializer_list<int> gaps = {}) {
    for (int c = 0; c < W().AreaWidth; ++c)
      if (std::find(gaps.begin(), gaps.end(), c) == gaps.end()) Put(c, row, colour);
  }

  // A bubble in flight at (column, row), as the tick leaves it after an entry.
  void InFlight(int column, int row, uint8_t colour) {
    Put(column, row, colour);
    W().BubbleColumn = static_cast<int16_t>(column);
    W().BubbleRow = static_cast<int16_t>(row);
    W().BubbleInFlight = true;
    W().LandedColumn = W().LandedRow = -1;
  }

  int BubbleCount() {
    int count = 0;
    for (auto& column : S().Bubbles)
      for (auto& cell : column) count += cell != nullptr;
    return count;
  }

  TSettings Settings;
  RecordingHost Host;
  std::unique_ptr<TGame> Current;
  std::deque<uint32_t> Queued;
  uint32_t Counter = 1000;
  int TickReads = 0;
};

// Every cell of both grids: which object it holds and its value.
struct BoardSnapshot {
  std::vector<const void*> Objects;
  std::vector<int> Values;
  bool operator==(const BoardSnapshot&) const = default;
};

inline BoardSnapshot Snapshot(const TSettings& settings) {
  BoardSnapshot snap;
  for (int c = 0; c < MaxAreaWidth; ++c) {
    for (int r = 0; r < MaxAreaHeight; ++r) {
      const TBubble* bubble = settings.Bubbles[c][r].get();
      const TArea* tile = settings.Areas[c][r].get();
      snap.Objects.push_back(bubble);
      snap.Objects.push_back(tile);
      snap.Values.push_back(bubble != nullptr ? bubble->GetColour() : -1);
      snap.Values.push_back(tile != nullptr ? tile->GetValue() : -1);
    }
  }
  return snap;
}

// What must hold between any two ticks of a running game.
inline ::testing::AssertionResult BoardConsistent(const TGame& w) {
  const auto& s = w.Settings;
  if (w.AreaWidth < 5 || w.AreaWidth > 10 || w.AreaHeight < 7 || w.AreaHeight > 14)
    return ::testing::AssertionFailure() << "size " << w.AreaWidth << "x" << w.AreaHeight;
  for (int c = 0; c < MaxAreaWidth; ++c) {
    for (int r = 0; r < MaxAreaHeight; ++r) {
      const bool inside = c < w.AreaWidth && r < w.AreaHeight;
      if (!inside && s.Bubbles[c][r] != nullptr)
        return ::testing::AssertionFailure() << "bubble outside the area at " << c << "," << r;
      if (inside != (s.Areas[c][r] != nullptr))
        return ::testing::AssertionFailure() << "tile presence wrong at " << c << "," << r;
      if (inside && s.Areas[c][r]->GetValue() > 8)
        return ::testing::AssertionFailure() << "tile value " << int(s.Areas[c][r]->GetValue());
    }
  }
  if (w.BubbleInFlight) {
    if (w.BubbleColumn < 0 || w.BubbleColumn >= w.AreaWidth || w.BubbleRow < 1 || w.BubbleRow >= w.AreaHeight)
      return ::testing::AssertionFailure() << "bubble in flight at " << w.BubbleColumn << "," << w.BubbleRow;
    if (s.Bubbles[w.BubbleColumn][w.BubbleRow] == nullptr)
      return ::testing::AssertionFailure() << "no bubble in flight at " << w.BubbleColumn << "," << w.BubbleRow;
  }
  return ::testing::AssertionSuccess();
}
