#include "platform/Resources.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace {

// {begin, end} of each of the program file's read-only segments, where the embedded bytes
// are: the only memory whose pages can be dropped and read back unchanged.
using Segments = std::vector<std::pair<uintptr_t, uintptr_t>>;

Segments ReadOnlyProgramSegments() {
  Segments segments;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* found) {
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& header = info->dlpi_phdr[i];
          const uintptr_t begin = info->dlpi_addr + header.p_vaddr;
          if (header.p_type == PT_LOAD && (header.p_flags & PF_W) == 0)
            static_cast<Segments*>(found)->emplace_back(begin, begin + header.p_memsz);
        }
        return 1;  // the first object is the program itself
      },
      &segments);
  return segments;
}

struct Registry {
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
  const auto& entries = TheRegistry().Entries;
  const auto it = entries.find(name);
  return it == entries.end() ? std::nullopt : std::optional(it->second);
}

void RegisterResources(std::span<const ResourceEntry> table) {
  static const Segments segments = ReadOnlyProgramSegments();
  Registry& registry = TheRegistry();
  for (const ResourceEntry& entry : table) {
    if (entry.Name == nullptr || (entry.Data == nullptr && entry.Size != 0)) continue;
    if (!registry.Entries.try_emplace(entry.Name, std::span<const uint8_t>(entry.Data, entry.Size)).second) continue;
    const auto begin = reinterpret_cast<uintptr_t>(entry.Data);
    const uintptr_t end = begin + entry.Size;
    for (const auto& [segmentBegin, segmentEnd] : segments) {
      if (begin < segmentBegin || end > segmentEnd) continue;
      registry.EmbeddedBegin = std::min(registry.EmbeddedBegin, begin);
      registry.EmbeddedEnd = std::max(registry.EmbeddedEnd, end);
    }
  }
}

void ReleaseResourcePages() {
  const Registry& registry = TheRegistry();
  if (registry.EmbeddedBegin >= registry.EmbeddedEnd) return;
  static const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  // The whole pages inside: those shared with other read-only data are read in again just the same.
  const uintptr_t begin = (registry.EmbeddedBegin + page - 1) & ~(page - 1);
  const uintptr_t end = registry.EmbeddedEnd & ~(page - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace platform
