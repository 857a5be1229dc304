#include "platform/Thread.h"

namespace platform {

Thread::~Thread() {
  Terminate();
  if (Worker.joinable()) Worker.join();
}

void Thread::Resume() {
  if (Resumed) return;
  Resumed = true;
  Worker = std::thread([this] {
    try {
      Execute();
    } catch (...) {  // a failing decoder ends the music, not the game
    }
  });
}

void Thread::Terminate() { TerminateRequested.store(true, std::memory_order_release); }

void Thread::WaitFor() {
  if (!Worker.joinable()) return;
  Worker.join();
  if (OnTerminate) OnTerminate();
}

}  // namespace platform
