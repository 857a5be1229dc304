// The end of a golden game as text, kept beside its replay so that a reader of the tests sees
// the board and counters it must end with: written by make_golden_replays, compared by the
// golden replay tests.
#pragma once
#include <sstream>
#include <string>

#include "core/Replay.h"

inline std::string GoldenEndText(const TReplay& replay, const TReplayEnd& end, bool gameOver) {
  static const char* const bubbles[] = {".", "k", "r", "g", "y", "b", "m", "c", "w"};
  std::ostringstream text;
  text << replay.Width << "x" << replay.Height << (replay.Advanced ? " Advanced" : " Standard") << ", start level "
       << replay.StartLevel << "\n";
  text << (gameOver ? "game over" : "abandoned") << ": score " << end.Score << ", level " << end.Level << ", "
       << end.Bubbles << " bubbles\n";
  text << "board (each cell: its bubble, . none, k black, r red, g green, y red+green, b blue, m red+blue,\n"
          "c green+blue, w all three; then its tile, 0 plain, 1 to 8 the A-tiles)\n";
  for (std::size_t row = 0; row < replay.Height; ++row) {
    for (std::size_t column = 0; column < replay.Width; ++column) {
      const uint8_t cell = end.Board.at(row * replay.Width + column);
      text << (column > 0 ? " " : "") << bubbles[(cell & 15) % 9] << (cell >> 4);
    }
    text << "\n";
  }
  return text.str();
}
