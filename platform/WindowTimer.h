// The main loop's timers (the game clock, the screen timers). Their handlers run on the main
// thread between events, so a tick and a key press never overlap.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

class WindowTimer;

class TimerHost {
 public:
  using ClockFn = std::function<uint64_t()>;
  // Milliseconds, the monotonic clock's unless tests give made-up times.
  explicit TimerHost(ClockFn nowMs = {});

  // Milliseconds until the earliest enabled timer is due (0 when overdue), or -1 when none is.
  int64_t MsUntilNext() const;
  // Runs the handler of every enabled timer that is due, once. A handler may start, restart or
  // stop any timer, itself included; a timer stopped before its turn does not run.
  void FireDue();

 private:
  friend class WindowTimer;
  ClockFn NowMs;
  std::vector<WindowTimer*> Timers;
  uint32_t LastRunId = 0;
};

// A timer that fires every interval while it is enabled. It keeps the beat it was started on:
// a late tick does not delay the next one, and ticks missed while the loop was held up are
// dropped rather than delivered in a burst.
class WindowTimer {
 public:
  WindowTimer(TimerHost& host, uint32_t intervalMs, std::function<void()> handler);
  ~WindowTimer();
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  // Enabling a running timer does not restart its interval; disabling stops it at once.
  void SetEnabled(bool enabled);
  // Starts the timer afresh at a new interval, its first tick one interval from now, even from
  // inside its own handler. Returns an id of this run, never 0 and never the last run's.
  uint32_t Restart(uint32_t intervalMs);
  bool Enabled() const { return IsEnabled; }
  uint32_t Interval() const { return IntervalMs; }

 private:
  friend class TimerHost;
  TimerHost& Host;
  uint32_t IntervalMs;
  std::function<void()> Handler;
  bool IsEnabled = false;
  uint64_t DueMs = 0;
};

}  // namespace platform
