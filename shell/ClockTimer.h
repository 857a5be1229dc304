// The game's periodic clock as the window owns it: ticks arrive on the main thread, and a tick
// posted before its clock was stopped or replaced is dropped, so a tick never races a key.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/MainQueue.h"
#include "platform/PeriodicClock.h"

class TClockTimer {
 public:
  TClockTimer(platform::MainQueue& queue, std::function<void()> onTick);

  // Starts the clock with a period in milliseconds, replacing a running one.
  void Start(uint16_t periodMs);
  // Stops the clock if it runs.
  void Stop();
  // A tick of the clock with that id has reached the main thread.
  void OnClockTick(uint32_t id);

  // The running clock, 0 when stopped; and its period.
  uint32_t TimerId = 0;
  uint16_t Period = 0;

 private:
  std::function<void()> OnTick;
  platform::PeriodicClock Clock;  // last: its thread stops before the rest goes
};
