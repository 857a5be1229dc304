#include "platform/WindowTimer.h"

#include <algorithm>
#include <chrono>

namespace platform {

TimerHost::TimerHost(ClockFn nowMs)
    : NowMs(nowMs ? std::move(nowMs) : ClockFn([] {
        using namespace std::chrono;
        return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
      })) {}

int64_t TimerHost::MsUntilNext() const {
  int64_t best = -1;
  const uint64_t now = NowMs();
  for (const WindowTimer* timer : Timers) {
    if (!timer->IsEnabled) continue;
    const int64_t wait = timer->DueMs > now ? static_cast<int64_t>(timer->DueMs - now) : 0;
    if (best < 0 || wait < best) best = wait;
  }
  return best;
}

void TimerHost::FireDue() {
  const uint64_t now = NowMs();
  // A handler may change any timer, so collect first and check each again before it runs.
  std::vector<WindowTimer*> due;
  for (WindowTimer* timer : Timers)
    if (timer->IsEnabled && timer->DueMs <= now) due.push_back(timer);
  for (WindowTimer* timer : due) {
    if (std::ranges::find(Timers, timer) == Timers.end() || !timer->IsEnabled || timer->DueMs > now) continue;
    // The next tick stays on the beat; the ones a stall went past are skipped.
    const uint64_t missed = (now - timer->DueMs) / timer->IntervalMs;
    timer->DueMs += (missed + 1) * timer->IntervalMs;
    timer->Handler();
  }
}

WindowTimer::WindowTimer(TimerHost& host, uint32_t intervalMs, std::function<void()> handler)
    : Host(host), IntervalMs(std::max<uint32_t>(intervalMs, 1)), Handler(std::move(handler)) {
  Host.Timers.push_back(this);
}

WindowTimer::~WindowTimer() { std::erase(Host.Timers, this); }

void WindowTimer::SetEnabled(bool enabled) {
  if (enabled && !IsEnabled) DueMs = Host.NowMs() + IntervalMs;
  IsEnabled = enabled;
}

uint32_t WindowTimer::Restart(uint32_t intervalMs) {
  IntervalMs = std::max<uint32_t>(intervalMs, 1);
  IsEnabled = false;
  SetEnabled(true);
  if (++Host.LastRunId == 0) ++Host.LastRunId;
  return Host.LastRunId;
}

}  // namespace platform
