#include "shell/DataDirectories.h"

#include <filesystem>
#include <system_error>

#ifndef HUEBLOC_DATADIR_FROM_BINDIR
#error "HUEBLOC_DATADIR_FROM_BINDIR must name the data folder relative to the programs' folder"
#endif

std::vector<std::string> DataDirectoriesBesideProgram() {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const auto folder = program.parent_path();
  return {(folder / HUEBLOC_DATADIR_FROM_BINDIR).lexically_normal().string(),
          (folder / ".." / "resources" / "generated").lexically_normal().string()};
}
