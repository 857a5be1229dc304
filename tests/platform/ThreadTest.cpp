#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

using platform::Thread;

// A body given as a function, so each test says what its thread does.
class TestThread : public Thread {
 public:
  explicit TestThread(std::function<void(TestThread&)> body) : Body(std::move(body)) {}
  ~TestThread() override {
    Terminate();
    WaitFor();
  }
  std::atomic<int> Runs{0};
  std::thread::id RanOn;

 protected:
  void Execute() override {
    RanOn = std::this_thread::get_id();
    ++Runs;
    Body(*this);
  }

 private:
  std::function<void(TestThread&)> Body;
};

// Blocks the body until the test lets it go, without any timed sleep.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(Mutex);
      IsOpen = true;
    }
    Changed.notify_all();
  }
  void Wait() {
    std::unique_lock lock(Mutex);
    Changed.wait(lock, [this] { return IsOpen; });
  }

 private:
  std::mutex Mutex;
  std::condition_variable Changed;
  bool IsOpen = false;
};

TEST(Thread, StaysSuspendedUntilResumed) {
  bool handlerRan = false;
  TestThread thread([](TestThread&) {});
  thread.OnTerminate = [&] { handlerRan = true; };
  // Never resumed: nothing to wait for, the body never runs and neither does the handler.
  thread.Terminate();
  thread.WaitFor();
  EXPECT_EQ(thread.Runs, 0);
  EXPECT_FALSE(handlerRan);
}

// The body runs once on a thread of its own until asked to stop; the wait then runs the
// handler on the waiting thread, once, after the body has returned.
TEST(Thread, RunsItsBodyOnceUntilTerminatedAndTheHandlerAfterIt) {
  Gate started;
  std::atomic<bool> bodyReturned{false};
  bool returnedBeforeHandler = false;
  std::thread::id handlerThread;
  int handlerRuns = 0;
  TestThread thread([&](TestThread& self) {
    started.Open();
    while (!self.Terminated()) std::this_thread::yield();
    bodyReturned = true;
  });
  thread.OnTerminate = [&] {
    handlerThread = std::this_thread::get_id();
    returnedBeforeHandler = bodyReturned;
    ++handlerRuns;
  };
  thread.Resume();
  thread.Resume();  // a second Resume does not run the body again
  started.Wait();
  EXPECT_FALSE(thread.Terminated());
  EXPECT_EQ(handlerRuns, 0);
  thread.Terminate();
  thread.WaitFor();
  EXPECT_EQ(thread.Runs, 1);
  EXPECT_NE(thread.RanOn, std::this_thread::get_id());
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  EXPECT_TRUE(returnedBeforeHandler);
  thread.Resume();  // nor does a Resume after it has finished
  thread.WaitFor();
  EXPECT_EQ(thread.Runs, 1);
  EXPECT_EQ(handlerRuns, 1);
}

TEST(Thread, ExceptionInTheBodyEndsItQuietly) {
  bool handlerRan = false;
  TestThread thread([](TestThread&) { throw std::runtime_error("decoder failed"); });
  thread.OnTerminate = [&] { handlerRan = true; };
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(handlerRan);
  EXPECT_EQ(thread.Runs, 1);
}

}  // namespace
