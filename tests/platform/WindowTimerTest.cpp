// The main loop's timers on a made-up clock: the game clock's beat and the screen timers.
#include "platform/WindowTimer.h"

#include <gtest/gtest.h>

#include <vector>

using platform::TimerHost;
using platform::WindowTimer;

namespace {

struct Clocked {
  uint64_t Now = 1000;
  TimerHost Host{[this] { return Now; }};
  std::vector<uint64_t> Ticks;  // when a handler ran
};

// The loop looks at the timers whenever it wakes: late, or after a stall of several periods.
// Each tick stays on the 250 ms beat the clock started on, and a stall brings one tick.
TEST(WindowTimer, KeepsItsBeatAndDropsTheTicksAStallWentPast) {
  Clocked c;
  WindowTimer clock(c.Host, 250, [&] { c.Ticks.push_back(c.Now); });
  clock.Restart(250);  // at 1000: due at 1250, 1500, ...
  const struct {
    uint64_t WakeAt;
    bool Ticks;
    int64_t NextIn;
  } wakes[] = {
      {1249, false, 1},     // a moment early
      {1262, true, 238},    // 12 ms late: the next is still due at 1500
      {1500, true, 250},    // on time
      {2610, true, 140},    // a stall past 1750, 2000, 2250, 2500: one tick, next at 2750
      {2749, false, 1},
      {2750, true, 250},
  };
  for (const auto& wake : wakes) {
    c.Now = wake.WakeAt;
    const size_t before = c.Ticks.size();
    c.Host.FireDue();
    EXPECT_EQ(c.Ticks.size() - before, wake.Ticks ? 1u : 0u) << "at " << wake.WakeAt;
    EXPECT_EQ(c.Host.MsUntilNext(), wake.NextIn) << "at " << wake.WakeAt;
  }
}

// A level change restarts the clock from inside its own tick at a new period; game over stops
// it there. A clock stopped by another handler in the same round of due timers (a key or a
// timer before it) does not tick after it.
TEST(WindowTimer, RestartsAndStopsFromInsideATick) {
  Clocked c;
  std::vector<uint32_t> runs;
  WindowTimer* self = nullptr;
  WindowTimer clock(c.Host, 1000, [&] {
    c.Ticks.push_back(c.Now);
    if (c.Ticks.size() == 2) runs.push_back(self->Restart(900));
    if (c.Ticks.size() == 4) self->SetEnabled(false);
  });
  self = &clock;
  runs.push_back(clock.Restart(1000));
  for (c.Now = 1000; c.Now <= 9000; c.Now += 100) c.Host.FireDue();
  EXPECT_EQ(c.Ticks, (std::vector<uint64_t>{2000, 3000, 3900, 4800}));
  EXPECT_FALSE(clock.Enabled());
  EXPECT_EQ(c.Host.MsUntilNext(), -1);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[0], 0u);
  EXPECT_NE(runs[1], 0u);
  EXPECT_NE(runs[0], runs[1]);

  // Both due at once: the one that runs first stops the other, which then does not tick.
  int stoppedTicks = 0;
  WindowTimer* stopped = nullptr;
  WindowTimer stopper(c.Host, 500, [&] { stopped->SetEnabled(false); });
  WindowTimer second(c.Host, 500, [&] { ++stoppedTicks; });
  stopped = &second;
  stopper.SetEnabled(true);
  second.Restart(500);
  c.Now += 500;
  c.Host.FireDue();
  EXPECT_EQ(stoppedTicks, 0);
}

// The screen timers are one-shots: enabling one that runs does not prolong it (an activation
// during the title), a handler that disables itself runs once, and a handler may enable
// another timer, which then waits its whole interval.
TEST(WindowTimer, ScreenTimersAsOneShots) {
  Clocked c;
  int title = 0, second = 0;
  WindowTimer* self = nullptr;
  WindowTimer timer(c.Host, 2000, [&] {
    ++title;
    self->SetEnabled(false);
  });
  self = &timer;
  WindowTimer other(c.Host, 100, [&] { ++second; });
  EXPECT_EQ(c.Host.MsUntilNext(), -1);

  timer.SetEnabled(true);
  c.Now = 2500;
  timer.SetEnabled(true);
  EXPECT_EQ(c.Host.MsUntilNext(), 500);
  c.Now = 2999;
  c.Host.FireDue();
  EXPECT_EQ(title, 0);
  for (c.Now = 3000; c.Now <= 9000; c.Now += 250) c.Host.FireDue();
  EXPECT_EQ(title, 1);
  EXPECT_FALSE(timer.Enabled());

  WindowTimer starter(c.Host, 100, [&] { other.SetEnabled(true); });
  starter.SetEnabled(true);
  c.Now += 100;
  c.Host.FireDue();
  EXPECT_EQ(second, 0) << "only just enabled";
  c.Now += 100;
  c.Host.FireDue();
  EXPECT_EQ(second, 1);
}

}  // namespace
