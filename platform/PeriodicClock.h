// The game clock: periodic events with an id, on a thread of their own. An event never runs
// game code on the clock thread; its tick is posted to the main thread carrying its id.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MainQueue.h"

namespace platform {

// Drift-free bookkeeping of periodic events, separate from the thread so it can be tested
// with made-up times. Times are milliseconds on any monotonic scale.
class ClockSchedule {
 public:
  uint32_t Add(uint32_t periodMs, uint64_t nowMs);
  bool Remove(uint32_t id);
  // Ids whose tick is due at nowMs; each due event's next tick is one period after the last
  // one it should have had, so late wake-ups never shift the beat. Ticks missed entirely
  // (the machine stalled for several periods) are dropped rather than delivered in a burst.
  std::vector<uint32_t> TakeDue(uint64_t nowMs);
  // Time of the earliest next tick, or UINT64_MAX when no event runs.
  uint64_t NextDue() const;
  bool Empty() const { return Events.empty(); }

 private:
  struct Event {
    uint32_t PeriodMs;
    uint64_t NextMs;
  };
  std::map<uint32_t, Event> Events;
  uint32_t LastId = 0;
};

class PeriodicClock {
 public:
  using Tick = std::function<void(uint32_t id)>;

  explicit PeriodicClock(MainQueue& queue);
  ~PeriodicClock();
  PeriodicClock(const PeriodicClock&) = delete;
  PeriodicClock& operator=(const PeriodicClock&) = delete;

  // Starts a periodic event; onTick runs on the main thread with the event's id, every
  // periodMs. Returns the id (never 0). Safe to call from inside a tick.
  uint32_t SetEvent(uint32_t periodMs, Tick onTick);
  // Stops an event; a tick already posted still arrives, so receivers compare ids.
  void KillEvent(uint32_t id);

 private:
  void Run();

  MainQueue& Queue;
  std::mutex Mutex;
  std::condition_variable Changed;
  ClockSchedule Schedule;
  std::map<uint32_t, Tick> Handlers;
  bool Stopping = false;
  std::thread Worker;
};

}  // namespace platform
