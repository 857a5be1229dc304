#include "platform/Resources.h"

#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

struct Registry {
  std::mutex Mutex;
  std::map<std::string, std::span<const uint8_t>, std::less<>> Entries;
};

// Built on first use, so a table registered from another file's static initialiser finds it.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

std::optional<std::span<const uint8_t>> FindResource(std::string_view name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Mutex);
  auto it = registry.Entries.find(name);
  if (it == registry.Entries.end()) return std::nullopt;
  return it->second;
}

void RegisterResources(std::span<const ResourceEntry> table) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Mutex);
  for (const ResourceEntry& entry : table) {
    if (entry.Name == nullptr || (entry.Data == nullptr && entry.Size != 0)) continue;
    registry.Entries.try_emplace(entry.Name, std::span<const uint8_t>(entry.Data, entry.Size));
  }
}

}  // namespace platform
