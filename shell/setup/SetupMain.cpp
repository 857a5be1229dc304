// huebloc-setup: the per-user install step, run before the game (by scripts/play.sh and the
// desktop entry). Writes every setting this user does not have yet with its default; settings
// already there are left as they are. Prints nothing when all is well.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "shell/DataDirectories.h"
#include "ui/DefaultSettings.h"

#ifndef HUEBLOC_DATADIR
#error "HUEBLOC_DATADIR must name the installed data folder"
#endif

namespace {

// The music's folder as installed: beside this program wherever its prefix went, else where
// the build meant to install it.
std::string InstalledDataDirectory() {
  const std::vector<std::string> beside = DataDirectoriesBesideProgram();
  std::error_code error;
  if (!beside.empty() && std::filesystem::is_directory(beside.front(), error)) return beside.front();
  return HUEBLOC_DATADIR;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    std::fprintf(help ? stdout : stderr,
                 "Usage: huebloc-setup [--help]\n"
                 "Writes the default Huebloc settings for this user where none are set yet.\n"
                 "Existing settings are never changed.\n"
                 "  --help  print this help and exit\n");
    return help ? 0 : 2;
  }
  try {
    const TDefaultSettingsResult result = WriteDefaultSettings(InstalledDataDirectory());
    for (const std::string& name : result.WrongType)
      std::fprintf(stderr, "huebloc-setup: the setting '%s' has a type the game cannot read; left as it is\n",
                   name.c_str());
  } catch (const std::exception& error) {
    // A store failure's message names the file and the cause (a FIFO or a device where the
    // settings file should be, no space left, a read-only folder).
    std::fprintf(stderr, "huebloc-setup: %s\n", error.what());
    return 1;
  }
  return 0;
}
