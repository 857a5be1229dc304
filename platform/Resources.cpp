#include "platform/Resources.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

// The program file's read-only segments, where the embedded bytes are: the only memory whose
// pages can be dropped and read back unchanged.
struct Segment {
  uintptr_t Begin = 0;
  uintptr_t End = 0;
};

std::vector<Segment> ReadOnlyProgramSegments() {
  std::vector<Segment> segments;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto& found = *static_cast<std::vector<Segment>*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& header = info->dlpi_phdr[i];
          if (header.p_type == PT_LOAD && (header.p_flags & PF_W) == 0)
            found.push_back({info->dlpi_addr + header.p_vaddr, info->dlpi_addr + header.p_vaddr + header.p_memsz});
        }
        return 1;  // the first object is the program itself
      },
      &segments);
  return segments;
}

struct Registry {
  std::mutex Mutex;
  std::map<std::string, std::span<const uint8_t>, std::less<>> Entries;
  // The stretch of the program's read-only pages that holds the registered bytes.
  uintptr_t EmbeddedBegin = UINTPTR_MAX;
  uintptr_t EmbeddedEnd = 0;
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
  static const std::vector<Segment> segments = ReadOnlyProgramSegments();
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.Mutex);
  for (const ResourceEntry& entry : table) {
    if (entry.Name == nullptr || (entry.Data == nullptr && entry.Size != 0)) continue;
    if (!registry.Entries.try_emplace(entry.Name, std::span<const uint8_t>(entry.Data, entry.Size)).second) continue;
    const auto begin = reinterpret_cast<uintptr_t>(entry.Data);
    const uintptr_t end = begin + entry.Size;
    for (const Segment& segment : segments) {
      if (begin < segment.Begin || end > segment.End) continue;
      registry.EmbeddedBegin = std::min(registry.EmbeddedBegin, begin);
      registry.EmbeddedEnd = std::max(registry.EmbeddedEnd, end);
    }
  }
}

void ReleaseResourcePages() {
  Registry& registry = TheRegistry();
  uintptr_t begin = 0;
  uintptr_t end = 0;
  {
    std::lock_guard lock(registry.Mutex);
    begin = registry.EmbeddedBegin;
    end = registry.EmbeddedEnd;
  }
  if (begin >= end) return;
  static const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  // The whole pages inside: those shared with other read-only data are read in again just the same.
  begin = (begin + page - 1) & ~(page - 1);
  end &= ~(page - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace platform
