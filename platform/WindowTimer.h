// One-shot style window timers whose handlers run on the main thread, between events.
// The event loop sleeps until TimerHost::NextDue() and then calls FireDue(); tests drive
// FireDue() with made-up times instead of sleeping.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

class WindowTimer;

class TimerHost {
 public:
  using ClockFn = std::function<uint64_t()>;
  // nowMs defaults to the monotonic millisecond clock.
  explicit TimerHost(ClockFn nowMs = {});

  uint64_t Now() const { return NowMs(); }
  // Milliseconds until the earliest enabled timer is due (0 when overdue), or -1 when none is.
  int64_t MsUntilNext() const;
  // Runs the handler of every enabled timer that is due; a handler may enable or disable timers.
  void FireDue();

 private:
  friend class WindowTimer;
  ClockFn NowMs;
  std::vector<WindowTimer*> Timers;
};

class WindowTimer {
 public:
  WindowTimer(TimerHost& host, uint32_t intervalMs, std::function<void()> handler);
  ~WindowTimer();
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  // Enabling a running timer does not restart its interval; disabling stops it.
  void SetEnabled(bool enabled);
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
