#include "shell/DataDirectories.h"

#include <filesystem>
#include <system_error>

std::vector<std::string> DataDirectoriesBesideProgram() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const auto folder = program.parent_path();
  return {(folder / ".." / "share" / "huebloc").lexically_normal().string(),
          (folder / ".." / "resources" / "generated").lexically_normal().string()};
}
