// Files embedded in the executable at build time (pictures and wave effects), found by their
// ID_... name. The build's resource library registers its table before main runs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

struct ResourceEntry {
  const char* Name;
  const uint8_t* Data;
  std::size_t Size;
};

// The bytes of the resource of that name, or nothing when the program holds none by that name.
// The bytes live as long as the program. Resources are looked up on the main thread only.
std::optional<std::span<const uint8_t>> FindResource(std::string_view name);

// Lets the system take back the embedded bytes' memory once a resource is decoded into its own.
// They stay readable: read-only pages of the program's file, read in anew on the next use.
// Reading one resource may map its neighbours' pages too, so all of them go.
void ReleaseResourcePages();

// Adds a table of resources; called by the generated resource library during static
// initialisation. A name already registered keeps its first bytes.
void RegisterResources(std::span<const ResourceEntry> table);

}  // namespace platform
