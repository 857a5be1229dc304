#include "platform/Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

namespace {

// While waiting, work posted by other threads is picked up this often; the thread's own
// end wakes the wait at once.
constexpr std::chrono::milliseconds PostedWorkInterval{5};

}  // namespace

// Shared with the task that runs OnTerminate, which may still sit in the queue after the
// thread object is gone.
struct Thread::State {
  std::mutex Mutex;
  std::condition_variable Changed;
  bool OwnerAlive = true;
  bool BodyDone = false;
  bool HandlerDone = false;
  std::exception_ptr Fatal;
};

Thread::Thread(MainQueue& queue) : Queue(queue), Shared(std::make_shared<State>()) {}

Thread::~Thread() {
  {
    std::lock_guard lock(Shared->Mutex);
    Shared->OwnerAlive = false;
  }
  Terminate();
  if (Worker.joinable()) Worker.join();
}

void Thread::Resume() {
  if (Resumed) return;
  Resumed = true;
  Worker = std::thread([this] { Body(); });
}

void Thread::Terminate() { TerminateRequested.store(true, std::memory_order_release); }

void Thread::Body() {
  std::exception_ptr fatal;
  try {
    Execute();
  } catch (...) {
    fatal = std::current_exception();
  }
  // Posted before the body counts as done, so a waiter that sees it done finds the handler
  // already in the queue.
  Queue.Post([state = Shared, this] {
    {
      std::lock_guard lock(state->Mutex);
      if (!state->OwnerAlive) return;
    }
    if (OnTerminate) OnTerminate();
    std::lock_guard lock(state->Mutex);
    state->HandlerDone = true;
  });
  std::lock_guard lock(Shared->Mutex);
  Shared->Fatal = fatal;
  Shared->BodyDone = true;
  Shared->Changed.notify_all();
}

void Thread::WaitFor() {
  if (!Worker.joinable()) return;
  for (;;) {
    Queue.Pump();
    std::unique_lock lock(Shared->Mutex);
    if (Shared->HandlerDone) break;
    if (!Shared->BodyDone) Shared->Changed.wait_for(lock, PostedWorkInterval, [this] { return Shared->BodyDone; });
  }
  Worker.join();
}

bool Thread::Finished() const {
  std::lock_guard lock(Shared->Mutex);
  return Shared->BodyDone;
}

std::exception_ptr Thread::FatalException() const {
  std::lock_guard lock(Shared->Mutex);
  return Shared->Fatal;
}

}  // namespace platform
