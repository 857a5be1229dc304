// A worker thread for the music, created suspended. Its body polls Terminated().
#pragma once
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

namespace platform {

class Thread {
 public:
  // A subclass must Terminate and WaitFor in its own destructor: by the time this one runs,
  // its members and its Execute are gone. This one only joins a body still running, without
  // OnTerminate.
  virtual ~Thread() {
    Terminate();
    if (Worker.joinable()) Worker.join();
  }

  // Starts the body; later calls do nothing: a thread runs its body once.
  void Resume() {
    if (std::exchange(Resumed, true)) return;
    Worker = std::thread([this] {
      try {
        Execute();
      } catch (...) {  // a failing decoder ends the music, not the game
      }
    });
  }
  void Terminate() { TerminateRequested.store(true, std::memory_order_release); }
  bool Terminated() const { return TerminateRequested.load(std::memory_order_acquire); }
  // Returns once the body has returned (Terminate first), then runs OnTerminate on the calling
  // thread; at once, and without OnTerminate, for a thread not running.
  void WaitFor() {
    if (!Worker.joinable()) return;
    Worker.join();
    if (OnTerminate) OnTerminate();
  }

  // Set before Resume.
  std::function<void()> OnTerminate;

 protected:
  // An exception that escapes it ends the thread as if the body had returned.
  virtual void Execute() = 0;

 private:
  std::atomic<bool> TerminateRequested{false};
  bool Resumed = false;
  std::thread Worker;
};

}  // namespace platform
