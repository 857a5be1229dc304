#include "shell/ClockTimer.h"

TClockTimer::TClockTimer(platform::MainQueue& queue, std::function<void()> onTick)
    : OnTick(std::move(onTick)), Clock(queue) {}

void TClockTimer::Start(uint16_t periodMs) {
  Stop();  // only one clock ever drives the game
  TimerId = Clock.SetEvent(periodMs, [this](uint32_t id) { OnClockTick(id); });
  Period = periodMs;
}

void TClockTimer::Stop() {
  if (TimerId != 0) {
    Clock.KillEvent(TimerId);
    TimerId = 0;
  }
  Period = 0;
}

void TClockTimer::OnClockTick(uint32_t id) {
  if (TimerId != 0 && id == TimerId) OnTick();
}
