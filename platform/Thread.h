// A worker thread in the manner of a class library's thread object: created suspended,
// started by Resume, asked to stop by Terminate (the body polls Terminated()), and waited
// for by WaitFor. OnTerminate runs on the main thread once the body has returned.
#pragma once
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "platform/MainQueue.h"

namespace platform {

class Thread {
 public:
  // queue: the main thread's queue, through which OnTerminate reaches the main thread.
  explicit Thread(MainQueue& queue);
  // Stops and joins a running body without waiting for OnTerminate, which then never runs.
  // A subclass whose Execute uses its own members must Terminate and WaitFor in its own
  // destructor: by the time this one runs, those members are gone.
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the body; later calls do nothing: a thread runs its body once.
  void Resume();
  // Asks the body to stop; it sees the request through Terminated().
  void Terminate();
  bool Terminated() const { return TerminateRequested.load(std::memory_order_acquire); }
  // Main thread only. Returns once the body has returned and OnTerminate has run; meanwhile
  // the work posted to the main thread keeps running, OnTerminate's included. Returns at
  // once for a thread that was never resumed. Does not ask the body to stop: Terminate first.
  void WaitFor();
  // True once the body has returned.
  bool Finished() const;
  // What escaped the body, if anything did; the thread ends as if the body had returned.
  std::exception_ptr FatalException() const;

  // Set before Resume. Runs on the main thread after the body has returned.
  std::function<void()> OnTerminate;

 protected:
  // The body; it should return soon after Terminated() becomes true.
  virtual void Execute() = 0;

 private:
  struct State;

  void Body();

  MainQueue& Queue;
  std::shared_ptr<State> Shared;
  std::atomic<bool> TerminateRequested{false};
  bool Resumed = false;
  std::thread Worker;
};

}  // namespace platform
