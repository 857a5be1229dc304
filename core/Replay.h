// A recorded game: what shaped it (the play area, the mode, the start level and where the
// random generator stood), every seeding from the tick count, and every input it took, in
// order and with its time, so that it can be played back exactly and at its own pace; and
// what it ended with. The recorder fills one as a player's game is played; the replay player
// feeds one back into a game.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Random.h"

class TGame;

// What reached the game: a tick of its clock, a play action, or a pause and its end.
enum class TReplayInput : uint8_t {
  Tick = 0,
  Left = 1,
  Right = 2,
  Up = 3,
  Escape = 4,     // the player paused with the Escape key
  FocusLost = 5,  // the window lost the focus, which pauses without a sound
  Resume = 6,     // Resume Game in the in-game menu
};
constexpr uint8_t ReplayInputKinds = 7;

struct TReplayStep {
  uint32_t TimeMs = 0;  // since the game began
  TReplayInput Input = TReplayInput::Tick;
  uint32_t Digest = 0;  // StateDigest of the game right after the input
  bool operator==(const TReplayStep&) const = default;
};

// What a game ended with, or was left with when abandoned.
struct TReplayEnd {
  uint32_t Score = 0;
  uint16_t Level = 0;
  uint32_t Bubbles = 0;        // bubbles that entered the play area
  std::vector<uint8_t> Board;  // the play area row by row from the top, one ReplayCell each
  bool operator==(const TReplayEnd&) const = default;
};

struct TReplay {
  uint16_t Width = 0, Height = 0;
  bool Advanced = false;
  uint16_t StartLevel = 0;
  uint32_t BestScore = 0;  // the table's best as the game began, as the play screen showed it
  int64_t StartedAt = 0;   // seconds since 1970-01-01 UTC
  TRandom::TState Random;  // where the generator stood as the game began
  std::vector<uint32_t> Seeds;
  std::vector<TReplayStep> Steps;
  bool GameOver = false;  // false: the game was abandoned (left, restarted, or the window closed)
  TReplayEnd End;
  bool operator==(const TReplay&) const = default;
};

// One cell of a board as a replay keeps it: the bubble in the low four bits (0 none, else
// its colour + 1), the tile in the high four (its value, 15 for none).
uint8_t ReplayCell(const TGame& game, int column, int row);
constexpr uint8_t ReplayNoTile = 15;

// A 32-bit digest of everything a player's game is made of: the board, the counters, the
// moving bubble, the landing, the entry column's turn, the screen and the generator's place.
// Two games that differ in any of it differ in their digests, almost surely.
uint32_t StateDigest(const TGame& game);
// The game's counters and board as a replay keeps them.
TReplayEnd EndOf(const TGame& game, uint32_t bubbles);

// Plays a recorded game back into a game, one input at a time: first the game's settings,
// its generator and its tick count (which gives the recorded seeds in turn) are set up and the
// game begins; then each step feeds one input and compares the state with the recorded one.
// The game records nothing, and its host should run no clock of its own: the recorded ticks
// are its clock.
class TReplayPlayer {
 public:
  TReplayPlayer(const TReplay& replay, TGame& game);
  TReplayPlayer(const TReplayPlayer&) = delete;
  TReplayPlayer& operator=(const TReplayPlayer&) = delete;

  // Every input has been played, or the game is over.
  bool Done() const;
  // The next input to play (while not Done).
  const TReplayStep& NextStep() const { return Replay.Steps[Next]; }
  std::size_t Played() const { return Next; }
  void Step();
  // The first input after which the state differed from the recording, if any.
  std::optional<std::size_t> FirstDifference() const { return Difference; }
  // The game's counters and board now.
  TReplayEnd End() const;

 private:
  const TReplay& Replay;
  TGame& Game;
  std::size_t Next = 0;
  std::size_t SeedsTaken = 0;
  std::optional<std::size_t> Difference;
};

// A recorded game played back at once, headless, and what came of it.
struct TReplayCheck {
  TReplayEnd End;
  bool GameOver = false;
  std::size_t Played = 0;
  std::optional<std::size_t> FirstDifference;
  // The game played back as recorded: every input, the same state after each, the same end.
  bool Matches(const TReplay& replay) const;
};
TReplayCheck CheckReplay(const TReplay& replay);
// An input of a replay as a person reads it: "input 812 of 1203 (Left at 3:25.250)".
std::string DescribeStep(const TReplay& replay, std::size_t index);
