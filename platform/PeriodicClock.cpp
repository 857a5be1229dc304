#include "platform/PeriodicClock.h"

#include <chrono>
#include <limits>

namespace platform {

namespace {
uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

uint32_t ClockSchedule::Add(uint32_t periodMs, uint64_t nowMs) {
  if (periodMs == 0) periodMs = 1;
  do {
    ++LastId;
  } while (LastId == 0 || Events.count(LastId) != 0);
  Events[LastId] = Event{periodMs, nowMs + periodMs};
  return LastId;
}

bool ClockSchedule::Remove(uint32_t id) { return Events.erase(id) != 0; }

std::vector<uint32_t> ClockSchedule::TakeDue(uint64_t nowMs) {
  std::vector<uint32_t> due;
  for (auto& [id, event] : Events) {
    if (event.NextMs > nowMs) continue;
    due.push_back(id);
    const uint64_t missed = (nowMs - event.NextMs) / event.PeriodMs;
    event.NextMs += (missed + 1) * event.PeriodMs;
  }
  return due;
}

uint64_t ClockSchedule::NextDue() const {
  uint64_t next = std::numeric_limits<uint64_t>::max();
  for (const auto& [id, event] : Events) next = std::min(next, event.NextMs);
  return next;
}

PeriodicClock::PeriodicClock(MainQueue& queue) : Queue(queue), Worker([this] { Run(); }) {}

PeriodicClock::~PeriodicClock() {
  {
    std::lock_guard lock(Mutex);
    Stopping = true;
  }
  Changed.notify_all();
  Worker.join();
}

uint32_t PeriodicClock::SetEvent(uint32_t periodMs, Tick onTick) {
  uint32_t id;
  {
    std::lock_guard lock(Mutex);
    id = Schedule.Add(periodMs, NowMs());
    Handlers[id] = std::move(onTick);
  }
  Changed.notify_all();
  return id;
}

void PeriodicClock::KillEvent(uint32_t id) {
  {
    std::lock_guard lock(Mutex);
    Schedule.Remove(id);
    Handlers.erase(id);
  }
  Changed.notify_all();
}

void PeriodicClock::Run() {
  std::unique_lock lock(Mutex);
  while (!Stopping) {
    if (Schedule.Empty()) {
      Changed.wait(lock);
      continue;
    }
    const uint64_t now = NowMs();
    const uint64_t next = Schedule.NextDue();
    if (next > now) {
      Changed.wait_for(lock, std::chrono::milliseconds(next - now));
      continue;
    }
    for (uint32_t id : Schedule.TakeDue(now)) {
      Tick handler = Handlers[id];
      Queue.Post([handler, id] { handler(id); });
    }
  }
}

}  // namespace platform
