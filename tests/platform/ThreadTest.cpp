#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

using platform::MainQueue;
using platform::Thread;

// A body given as a function, so each test says what its thread does.
class TestThread : public Thread {
 public:
  TestThread(MainQueue& queue, std::function<void(TestThread&)> body) : Thread(queue), Body(std::move(body)) {}
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
  MainQueue queue;
  bool handlerRan = false;
  TestThread thread(queue, [](TestThread&) {});
  thread.OnTerminate = [&] { handlerRan = true; };
  // Never resumed: nothing to wait for, the body never runs and neither does the handler.
  thread.Terminate();
  thread.WaitFor();
  queue.Pump();
  EXPECT_EQ(thread.Runs, 0);
  EXPECT_FALSE(thread.Finished());
  EXPECT_FALSE(handlerRan);
}

TEST(Thread, BodyRunsOnItsOwnThreadUntilTerminated) {
  MainQueue queue;
  Gate started;
  std::atomic<int> polls{0};
  TestThread thread(queue, [&](TestThread& self) {
    started.Open();
    while (!self.Terminated()) ++polls;
  });
  thread.Resume();
  thread.Resume();  // a second Resume does not run the body again
  started.Wait();
  EXPECT_FALSE(thread.Terminated());
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(thread.Runs, 1);
  EXPECT_NE(thread.RanOn, std::this_thread::get_id());
  thread.Resume();  // nor does a Resume after it has finished
  thread.WaitFor();
  EXPECT_EQ(thread.Runs, 1);
}

TEST(Thread, OnTerminateRunsOnTheMainThreadBeforeWaitForReturns) {
  MainQueue queue;
  Gate release;
  std::thread::id handlerThread;
  int handlerRuns = 0;
  TestThread thread(queue, [&](TestThread&) { release.Wait(); });
  thread.OnTerminate = [&] {
    handlerThread = std::this_thread::get_id();
    ++handlerRuns;
  };
  thread.Resume();
  EXPECT_EQ(handlerRuns, 0);
  release.Open();
  thread.WaitFor();
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  // Later pumping does not run it again.
  queue.Pump();
  EXPECT_EQ(handlerRuns, 1);
}

TEST(Thread, HandlerPostedWhileNobodyWaitsRunsWithTheMainQueue) {
  MainQueue queue;
  bool handlerRan = false;
  TestThread thread(queue, [](TestThread&) {});
  thread.OnTerminate = [&] { handlerRan = true; };
  thread.Resume();
  // The main thread goes on with its loop; the handler arrives through the queue.
  while (!handlerRan) {
    queue.Pump();
    std::this_thread::yield();
  }
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}

TEST(Thread, WaitForKeepsThePostedWorkGoing) {
  // The body cannot finish until the main thread has run work it posted, as a body that
  // hands something to the main thread and waits for it would.
  MainQueue queue;
  std::thread::id postedRanOn;
  bool posted = false;  // main thread only
  std::mutex mutex;
  std::condition_variable changed;
  bool seenByBody = false;
  TestThread thread(queue, [&](TestThread&) {
    queue.Post([&] {
      postedRanOn = std::this_thread::get_id();
      posted = true;
      std::lock_guard lock(mutex);
      seenByBody = true;
      changed.notify_all();
    });
    std::unique_lock lock(mutex);
    // Bounded so that a broken WaitFor fails the test instead of hanging it.
    changed.wait_for(lock, std::chrono::seconds(20), [&] { return seenByBody; });
  });
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(posted);
  EXPECT_EQ(postedRanOn, std::this_thread::get_id());
}

TEST(Thread, ExceptionInTheBodyEndsItQuietly) {
  MainQueue queue;
  bool handlerRan = false;
  TestThread thread(queue, [](TestThread&) { throw std::runtime_error("decoder failed"); });
  thread.OnTerminate = [&] { handlerRan = true; };
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(handlerRan);
  ASSERT_TRUE(thread.FatalException());
  EXPECT_THROW(std::rethrow_exception(thread.FatalException()), std::runtime_error);
}

// Without a WaitFor of its own, for a body that is over by the time the object goes.
class QuickThread : public Thread {
 public:
  using Thread::Thread;

 protected:
  void Execute() override {}
};

TEST(Thread, HandlerOfAThreadDestroyedBeforeTheQueueGotToItNeverRuns) {
  MainQueue queue;
  bool handlerRan = false;
  {
    QuickThread thread(queue);
    thread.OnTerminate = [&] { handlerRan = true; };
    thread.Resume();
    while (!thread.Finished()) std::this_thread::yield();
    ASSERT_EQ(queue.Pending(), 1u);
  }
  // The handler's task is still queued, but the thread object it belongs to is gone.
  queue.Pump();
  EXPECT_FALSE(handlerRan);
}

}  // namespace
