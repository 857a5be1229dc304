#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string XdgBaseFolder(const char* variable, std::string_view underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  // No usable HOME (started from a service, say): ask the password database.
  char buffer[16384];
  passwd entry{};
  passwd* found = nullptr;
  if ((home == nullptr || home[0] != '/') && ::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0)
    home = found != nullptr ? found->pw_dir : nullptr;
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/" + std::string(underHome);
}

}  // namespace platform
