// Points the per-user store at a fresh temporary folder for the whole test program, so tests
// never read or write the real user's settings and scores.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::filesystem::path& IsolatedStoreRoot() {
  static const std::filesystem::path root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "huebloc-test-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    std::filesystem::path dir = made != nullptr ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    return dir;
  }();
  return root;
}
