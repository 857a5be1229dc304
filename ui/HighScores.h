// The high-score tables: five best scores with names for every play-area size and mode, kept in
// the per-user store; the test that lets a finished game in, the name entry and the table screen.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "ui/KeyContext.h"

class TSettings;

// One table as kept: scores and names of places 1 to 5, best first.
struct THighScoreTable {
  std::array<uint32_t, 5> Scores{};
  std::array<std::string, 5> Names;
};

// Where the tables are kept, one under each key.
class IHighScoreStore {
 public:
  virtual ~IHighScoreStore() = default;
  // Reads the table under a key, creating the key; a place with no score or no name reads as 0
  // or empty and is written so. False, with the table untouched, when the key can be neither
  // opened nor created.
  virtual bool ReadTable(const std::string& key, THighScoreTable& table) = 0;
  // Writes the table under a key, creating it; writes nothing when it can be neither opened nor
  // created.
  virtual void WriteTable(const std::string& key, const THighScoreTable& table) = 0;
};

// The per-user store's high-score keys: values "s1".."s5" (32-bit integers) and "n1".."n5"
// (strings). Throws ERegistryException for a value of the wrong type, a damaged store file and
// a write the store refuses.
class THighScoreRegistry final : public IHighScoreStore {
 public:
  bool ReadTable(const std::string& key, THighScoreTable& table) override;
  void WriteTable(const std::string& key, const THighScoreTable& table) override;
};

// The key of the table of the current width, height and mode: "...\HighScores\7x10", with "a"
// after it in the Advanced mode (mode 1; no other mode counts as Advanced).
std::string HighScoreKey(const TSettings& settings);

// Reads the table of the current size and mode into entries 0 to 4 (a table that cannot be
// opened leaves them as they were), then shows its top score as the best score.
void LoadHighScores(TSettings& settings, IHighScoreStore& store);
// Writes entries 0 to 4 to the table of the current size and mode.
void SaveHighScores(const TSettings& settings, IHighScoreStore& store);

// Whether the game just played enters the table: strictly above the fifth score.
bool ScoreQualifies(const TSettings& settings);
// The end of the game-over pause: the name entry, with an empty name, when the score enters
// the table; the table itself otherwise.
void ShowGameResult(TSettings& settings);

// Keys on the name entry: letters, digits and white space type themselves in upper case (at most
// 8), Backspace takes one back, Enter puts the score in its place in the table as stored now
// and saves it.
void NameEntryKeyDown(const TKeyContext& context, uint16_t key);
// Any key on the table returns to the main menu with a new demo game.
void HighScoresKeyDown(const TKeyContext& context);
