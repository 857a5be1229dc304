// The high-score tables: five best scores with names for every play-area size and mode, kept in
// the per-user store; the test that lets a finished game in, the name entry and the table screen.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
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
  // One transaction of the store: reads the table under a key as it is stored now (the places
  // it lacks as 0 and empty), lets change() alter it, writes it and returns it as written, with
  // no other game's change in between. Throws, having written nothing, when the key can be
  // neither opened nor created or the table cannot be written.
  virtual THighScoreTable ChangeTable(const std::string& key, const std::function<void(THighScoreTable&)>& change) = 0;
};

// The per-user store's high-score keys: values "s1".."s5" (32-bit integers) and "n1".."n5"
// (strings). Throws ERegistryException for a value of the wrong type, a damaged store file and
// a write the store refuses.
class THighScoreRegistry final : public IHighScoreStore {
 public:
  bool ReadTable(const std::string& key, THighScoreTable& table) override;
  THighScoreTable ChangeTable(const std::string& key, const std::function<void(THighScoreTable&)>& change) override;
  // Reads a table as it is stored, writing nothing: a place with no score or no name reads as
  // 0 or empty; false when there is no such key.
  bool ReadStoredTable(const std::string& key, THighScoreTable& table);
};

// The name of the table of the current width, height and mode: "7x10", with "a" after it in
// the Advanced mode (mode 1; no other mode counts as Advanced); its key is "...\HighScores\7x10".
std::string HighScoreTableName(const TSettings& settings);
std::string HighScoreKey(const TSettings& settings);

// Reads the table of the current size and mode into entries 0 to 4 (a table that cannot be
// opened leaves them as they were), then shows its top score as the best score.
void LoadHighScores(TSettings& settings, IHighScoreStore& store);
// The end of a name entry: puts the score with the typed name (entry 5) in its place in the
// table of the current size and mode as it is stored now, which another copy of the game may
// have changed, in one transaction of the store, and shows that table in entries 0 to 4. A store
// that refuses it leaves the score in the table as last read, shown, and throws. The best score
// is raised to the table's top, never lowered.
void SaveHighScores(TSettings& settings, IHighScoreStore& store);

// Whether the game just played enters the table: strictly above the fifth score.
bool ScoreQualifies(const TSettings& settings);
// The end of the game-over pause: the name entry, with an empty name, when the score enters
// the table; the table itself otherwise.
void ShowGameResult(TSettings& settings);

// Keys on the name entry: letters, digits and white space type themselves in upper case (at most
// 8), Backspace takes one back, Enter shows the table and saves the score into it. A controller
// adds an A and steps the last character along space, A-Z, 0-9 and round; on an empty name a
// step adds the A.
void NameEntryKeyDown(const TKeyContext& context, uint16_t key);
// Any key on the table returns to the main menu with a new demo game.
void HighScoresKeyDown(const TKeyContext& context);
