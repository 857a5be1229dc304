// The per-user install step: every setting the game expects, with its default value. The game
// itself never writes defaults; huebloc-setup writes the absent ones before the first start.
#pragma once
#include <string>
#include <vector>

struct TDefaultSettingsResult {
  std::vector<std::string> Written;    // "Keys\Left", "Path", ... : values that were absent
  std::vector<std::string> WrongType;  // values present with a type the game cannot read
};

// Writes every absent setting with its default ("Path" = dataDir, the installed data folder
// holding the music), creating the keys as needed, and never overwrites a value that is there.
// Throws ERegistryException when the store is damaged or cannot be written.
TDefaultSettingsResult WriteDefaultSettings(const std::string& dataDir);
