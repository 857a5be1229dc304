// The recorder of a player's game: a plain record in memory of what shaped the game and of
// every input it took, fed by the game's entry points as they run. It costs a few bytes and
// a digest per input; it reads the clocks it is given and nothing else.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/Random.h"
#include "core/Replay.h"

class TReplayRecorder {
 public:
  // A game of more inputs than this, some 17 hours of play at the fastest pace, keeps no
  // replay: memory stays bounded however long a game runs.
  static constexpr std::size_t MaxSteps = 250000;

  TReplayRecorder();

  // Off, a game begun records nothing (a game being played back, say).
  bool Enabled = true;
  // The times of the inputs, in milliseconds, and the date the game began, in seconds since
  // 1970 (UTC).
  TTickCount Clock;
  std::function<int64_t()> Calendar;

  bool Recording() const { return Current.has_value(); }
  // A player's game begins: its play area, mode and level as set, the generator as it stands.
  void Begin(const TGame& game);
  void Seeded(uint32_t seed);
  // An input reaches the game: its time is taken now, the state once the game has acted on it.
  void InputBegins(TReplayInput input);
  void InputDone(const TGame& game);
  // The recording ends, the game over or abandoned: the replay with what the game ended with.
  TReplay Finish(const TGame& game, bool gameOver);

 private:
  std::optional<TReplay> Current;
  uint32_t StartMs = 0;
};
