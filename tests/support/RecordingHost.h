// A host for game tests: records what the game asks of the world, in order, and keeps the
// state a real window would (the running clock's period, the game-over timer).
#pragma once
#include <string>
#include <vector>

#include "core/GameHost.h"

class RecordingHost final : public IGameHost {
 public:
  void StartClock(uint16_t periodMs) override {
    Period = periodMs;
    ++ClockStarts;
    Calls.push_back("clock " + std::to_string(periodMs));
  }
  void StopClock() override {
    if (Period != 0) Calls.push_back("stop");
    Period = 0;
  }
  void EnableGameOverTimer() override {
    GameOverTimer = true;
    Calls.push_back("game over");
  }
  void PlayAudio(int index) override {
    Sounds.push_back(index);
    Calls.push_back("sound " + std::to_string(index));
  }
  void ComposeScreen() override {
    ++Compositions;
    Calls.push_back("compose");
  }
  void KeepReplay(const TReplay& replay) override {
    Replays.push_back(replay);
    Calls.push_back("replay");
  }

  uint16_t Period = 0;  // 0: no clock runs
  int ClockStarts = 0;
  bool GameOverTimer = false;
  int Compositions = 0;
  std::vector<int> Sounds;
  std::vector<std::string> Calls;
  std::vector<TReplay> Replays;
};
