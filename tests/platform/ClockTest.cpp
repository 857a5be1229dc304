#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/MainQueue.h"
#include "platform/PeriodicClock.h"
#include "platform/WindowTimer.h"

using platform::ClockSchedule;
using platform::MainQueue;
using platform::TimerHost;
using platform::WindowTimer;

TEST(ClockSchedule, KeepsTheBeatWhenWokenLate) {
  ClockSchedule s;
  const uint32_t id = s.Add(250, 1000);
  EXPECT_EQ(s.NextDue(), 1250u);
  EXPECT_TRUE(s.TakeDue(1249).empty());
  EXPECT_EQ(s.TakeDue(1262), std::vector<uint32_t>{id});  // woke 12 ms late
  EXPECT_EQ(s.NextDue(), 1500u);                          // still on the 250 ms grid
  EXPECT_EQ(s.TakeDue(1500), std::vector<uint32_t>{id});
  EXPECT_EQ(s.NextDue(), 1750u);
}

TEST(ClockSchedule, AStallDeliversOneTickNotABurst) {
  ClockSchedule s;
  const uint32_t id = s.Add(100, 0);
  EXPECT_EQ(s.TakeDue(1050), std::vector<uint32_t>{id});
  EXPECT_EQ(s.NextDue(), 1100u);
  EXPECT_TRUE(s.TakeDue(1099).empty());
}

TEST(ClockSchedule, IdsAreNonZeroUniqueAndRemovable) {
  ClockSchedule s;
  const uint32_t a = s.Add(100, 0);
  const uint32_t b = s.Add(300, 0);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(s.TakeDue(100), std::vector<uint32_t>{a});
  EXPECT_TRUE(s.Remove(a));
  EXPECT_FALSE(s.Remove(a));
  EXPECT_EQ(s.NextDue(), 300u);
  EXPECT_TRUE(s.Remove(b));
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.NextDue(), UINT64_MAX);
}

TEST(MainQueue, RunsPostedWorkInOrderOnThePumpingThreadAndWakesTheLoop) {
  MainQueue q;
  std::atomic<int> wakes{0};
  q.SetWake([&] { ++wakes; });
  std::vector<int> order;
  std::thread other([&] {
    for (int i = 0; i < 3; ++i) q.Post([&order, i] { order.push_back(i); });
  });
  other.join();
  EXPECT_EQ(wakes.load(), 3);
  EXPECT_EQ(q.Pending(), 3u);
  EXPECT_EQ(q.Pump(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(q.Pump(), 0u);
}

TEST(MainQueue, WorkPostedWhilePumpingWaitsForTheNextPump) {
  MainQueue q;
  int runs = 0;
  q.Post([&] {
    ++runs;
    q.Post([&] { ++runs; });
  });
  EXPECT_EQ(q.Pump(), 1u);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(q.Pump(), 1u);
  EXPECT_EQ(runs, 2);
}

TEST(PeriodicClock, KillAndRestartFromInsideATickNeverDeadlocks) {
  MainQueue q;
  platform::PeriodicClock clock(q);
  std::atomic<int> ticks{0};
  uint32_t current = 0;
  // Posting is the clock thread's only job; run the ticks by hand as they arrive.
  current = clock.SetEvent(1, [&](uint32_t id) {
    if (id != current) return;
    ++ticks;
    clock.KillEvent(id);
    current = clock.SetEvent(1, [&](uint32_t) { ++ticks; });
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ticks.load() < 3 && std::chrono::steady_clock::now() < deadline) {
    q.Pump();
    std::this_thread::yield();
  }
  clock.KillEvent(current);
  EXPECT_GE(ticks.load(), 3);
}

TEST(WindowTimer, FiresAfterItsIntervalAndEnablingAgainDoesNotRestartIt) {
  uint64_t now = 0;
  TimerHost host([&] { return now; });
  int fired = 0;
  WindowTimer timer(host, 2000, [&] { ++fired; });
  EXPECT_EQ(host.MsUntilNext(), -1);

  timer.SetEnabled(true);
  now = 1500;
  timer.SetEnabled(true);  // an activation during the title does not prolong it
  EXPECT_EQ(host.MsUntilNext(), 500);
  host.FireDue();
  EXPECT_EQ(fired, 0);
  now = 2000;
  host.FireDue();
  EXPECT_EQ(fired, 1);
}

TEST(WindowTimer, AHandlerThatDisablesItselfRunsOnce) {
  uint64_t now = 0;
  TimerHost host([&] { return now; });
  int fired = 0;
  WindowTimer* self = nullptr;
  WindowTimer timer(host, 1000, [&] {
    ++fired;
    self->SetEnabled(false);
  });
  self = &timer;
  timer.SetEnabled(true);
  for (now = 0; now <= 5000; now += 250) host.FireDue();
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(timer.Enabled());
}

TEST(WindowTimer, AHandlerMayEnableAnotherTimer) {
  uint64_t now = 0;
  TimerHost host([&] { return now; });
  int second = 0;
  WindowTimer b(host, 100, [&] { ++second; });
  WindowTimer a(host, 100, [&] { b.SetEnabled(true); });
  a.SetEnabled(true);
  now = 100;
  host.FireDue();
  EXPECT_EQ(second, 0);  // b was only just enabled
  EXPECT_EQ(host.MsUntilNext(), 100);  // a stays enabled and is due again at 200, with b
  now = 200;
  host.FireDue();
  EXPECT_EQ(second, 1);
}
