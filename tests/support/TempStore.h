// A private per-user store for one test: XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_STATE_HOME (the
// replays) point into a fresh temporary folder, which is removed afterwards and the variables
// restored.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

class TempStore {
 public:
  TempStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "huebloc-store-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    Root = pattern;
    Save("XDG_CONFIG_HOME", SavedConfig);
    Save("XDG_DATA_HOME", SavedData);
    Save("XDG_STATE_HOME", SavedState);
    setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
    setenv("XDG_STATE_HOME", StateHome().c_str(), 1);
  }
  ~TempStore() {
    Restore("XDG_CONFIG_HOME", SavedConfig);
    Restore("XDG_DATA_HOME", SavedData);
    Restore("XDG_STATE_HOME", SavedState);
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  TempStore(const TempStore&) = delete;
  TempStore& operator=(const TempStore&) = delete;

  std::filesystem::path ConfigHome() const { return Root / "config"; }
  std::filesystem::path DataHome() const { return Root / "data"; }
  std::filesystem::path StateHome() const { return Root / "state"; }
  std::filesystem::path ReplayFolder() const { return StateHome() / "huebloc" / "replays"; }
  std::filesystem::path SettingsFile() const { return ConfigHome() / "huebloc" / "settings.reg"; }
  std::filesystem::path ScoresFile() const { return DataHome() / "huebloc" / "highscores.reg"; }

  static void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path Root;

 private:
  static void Save(const char* name, std::optional<std::string>& saved) {
    if (const char* value = std::getenv(name)) saved = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& saved) {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> SavedConfig, SavedData, SavedState;
};
