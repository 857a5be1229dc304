#include "platform/MainQueue.h"

namespace platform {

void MainQueue::Post(Task task) {
  std::function<void()> wake;
  {
    std::lock_guard lock(Mutex);
    Tasks.push_back(std::move(task));
    wake = Wake;
  }
  if (wake) wake();
}

std::size_t MainQueue::Pump() {
  std::vector<Task> batch;
  {
    std::lock_guard lock(Mutex);
    batch.swap(Tasks);
  }
  for (auto& task : batch) task();
  return batch.size();
}

std::size_t MainQueue::Pending() const {
  std::lock_guard lock(Mutex);
  return Tasks.size();
}

void MainQueue::SetWake(std::function<void()> wake) {
  std::lock_guard lock(Mutex);
  Wake = std::move(wake);
}

}  // namespace platform
