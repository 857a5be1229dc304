// Work posted from other threads to run on the main (window) thread.
#pragma once
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

class MainQueue {
 public:
  using Task = std::function<void()>;

  // Any thread. The wake hook (set by the window) lets a sleeping event loop know.
  void Post(Task task);
  // Main thread: runs every task queued before the call, in order; returns how many ran.
  std::size_t Pump();
  std::size_t Pending() const;
  void SetWake(std::function<void()> wake);

 private:
  mutable std::mutex Mutex;
  std::vector<Task> Tasks;
  std::function<void()> Wake;
};

}  // namespace platform
