// What the game asks of the world around it: its clock, the game-over pause, the sound
// effects, the redraw, and a place for the replays of the games played. The window provides
// them; tests record them.
#pragma once
#include <cstdint>

#include "core/Replay.h"

class IGameHost {
 public:
  virtual ~IGameHost() = default;
  // Starts the periodic game clock, replacing any clock that runs; each tick calls GameTick.
  virtual void StartClock(uint16_t periodMs) = 0;
  // Stops the game clock if it runs: no tick comes after it.
  virtual void StopClock() = 0;
  // Starts the pause after a lost game, which then moves on to the high scores.
  virtual void EnableGameOverTimer() = 0;
  // Plays an effect, or (index 10) starts the music or sets its volume.
  virtual void PlayAudio(int index) = 0;
  // Redraws the whole screen for the current state and shows it.
  virtual void ComposeScreen() = 0;
  // A player's game has ended or been abandoned: its replay, to keep or not.
  virtual void KeepReplay(const TReplay& /*replay*/) {}
};

// A host for a game nobody watches: no clock, no sound, no screen.
class TNullGameHost final : public IGameHost {
 public:
  void StartClock(uint16_t) override {}
  void StopClock() override {}
  void EnableGameOverTimer() override {}
  void PlayAudio(int) override {}
  void ComposeScreen() override {}
};
