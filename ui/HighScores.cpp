#include "ui/HighScores.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <locale>
#include <string_view>
#include <utility>

#include "core/Game.h"
#include "platform/Registry.h"

namespace {

constexpr std::size_t MaxNameLength = 8;
constexpr std::size_t TablePlaces = 5;

std::string ScoreValue(std::size_t place) { return "s" + std::to_string(place + 1); }
std::string NameValue(std::size_t place) { return "n" + std::to_string(place + 1); }

THighScoreTable TableOf(const TSettings& settings) {
  THighScoreTable table;
  std::copy_n(settings.HighScores.begin(), TablePlaces, table.Scores.begin());
  std::copy_n(settings.HighScoreNames.begin(), TablePlaces, table.Names.begin());
  return table;
}

void ShowTable(TSettings& settings, const THighScoreTable& table) {
  std::copy(table.Scores.begin(), table.Scores.end(), settings.HighScores.begin());
  std::copy(table.Names.begin(), table.Names.end(), settings.HighScoreNames.begin());
}

// The table with a new score placed by a bubble sort of its five entries and the new one,
// highest first. Equal scores never swap, so a new score goes below an equal older one; the
// sixth entry, the lowest, drops out.
THighScoreTable WithNewScore(const THighScoreTable& table, uint32_t score, const std::string& name) {
  std::array<uint32_t, TablePlaces + 1> scores{};
  std::array<std::string, TablePlaces + 1> names;
  std::copy(table.Scores.begin(), table.Scores.end(), scores.begin());
  std::copy(table.Names.begin(), table.Names.end(), names.begin());
  scores[TablePlaces] = score;
  names[TablePlaces] = name;
  for (std::size_t n = TablePlaces; n >= 1; --n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (scores[i] < scores[i + 1]) {
        std::swap(scores[i], scores[i + 1]);
        std::swap(names[i], names[i + 1]);
      }
    }
  }
  THighScoreTable placed;
  std::copy_n(scores.begin(), TablePlaces, placed.Scores.begin());
  std::copy_n(std::make_move_iterator(names.begin()), TablePlaces, placed.Names.begin());
  return placed;
}

// What a controller steps through, round and round. A new character starts at A, as names are
// mostly letters: Up runs the alphabet in its order, Down reaches the space at once and then
// the digits from 9.
constexpr std::string_view NameCharacters = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr char NewCharacter = 'A';

// The character a key adds to the name, or 0. A keyboard key's code is taken as a character,
// classified in the C locale whatever the program's locale, and typed in upper case; only codes
// 0..255 are characters at all. A controller's codes add a new character.
char Typed(uint16_t key) {
  if (key == PadNewCharacter || key == PadNextCharacter || key == PadPreviousCharacter) return NewCharacter;
  if (key > 255) return 0;
  const auto ch = static_cast<char>(key);
  const std::locale& c = std::locale::classic();
  return std::isalnum(ch, c) || std::isspace(ch, c) ? std::toupper(ch, c) : 0;
}

// One step along the characters a controller goes through; any other white space typed on the
// keyboard counts as the space.
char Stepped(char ch, int step) {
  const auto count = static_cast<int>(NameCharacters.size());
  const std::size_t found = NameCharacters.find(ch);
  const int at = found == std::string_view::npos ? 0 : static_cast<int>(found);
  return NameCharacters[static_cast<std::size_t>((at + count + step) % count)];
}

// The five places; a place with no score or no name reads as 0 or empty. False when any is missing.
bool ReadPlaces(TRegistryValues& values, THighScoreTable& table) {
  bool complete = true;
  for (std::size_t place = 0; place < TablePlaces; ++place) {
    const std::string score = ScoreValue(place), name = NameValue(place);
    const bool hasScore = values.ValueExists(score), hasName = values.ValueExists(name);
    complete = complete && hasScore && hasName;
    table.Scores[place] = hasScore ? static_cast<uint32_t>(values.ReadInteger(score)) : 0;
    table.Names[place] = hasName ? values.ReadString(name) : std::string();
  }
  return complete;
}

void WritePlaces(TRegistryTransaction& transaction, const THighScoreTable& table) {
  for (std::size_t place = 0; place < TablePlaces; ++place) {
    transaction.WriteInteger(ScoreValue(place), static_cast<int32_t>(table.Scores[place]));
    transaction.WriteString(NameValue(place), table.Names[place]);
  }
}

}  // namespace

bool THighScoreRegistry::ReadTable(const std::string& key, THighScoreTable& table) {
  TRegistry registry;
  if (!registry.OpenKey(key, true)) return false;
  if (ReadPlaces(registry, table)) return true;
  // A new table (or one edited by hand) gets its missing places written as zeros and empty names,
  // in one transaction, so that a place another game stores meanwhile is kept.
  registry.Transact(ScoreValue(0), [&](TRegistryTransaction& stored) {
    ReadPlaces(stored, table);
    WritePlaces(stored, table);
  });
  return true;
}

bool THighScoreRegistry::ReadStoredTable(const std::string& key, THighScoreTable& table) {
  TRegistry registry;
  if (!registry.OpenKey(key, false)) return false;
  ReadPlaces(registry, table);
  return true;
}

THighScoreTable THighScoreRegistry::ChangeTable(const std::string& key,
                                                const std::function<void(THighScoreTable&)>& change) {
  TRegistry registry;
  // A key that can be neither opened nor created fails the transaction, which says why.
  (void)registry.OpenKey(key, true);
  THighScoreTable table;
  registry.Transact(ScoreValue(0), [&](TRegistryTransaction& stored) {
    ReadPlaces(stored, table);
    change(table);
    WritePlaces(stored, table);
  });
  return table;
}

std::string HighScoreTableName(const TSettings& settings) {
  std::string name = std::to_string(settings.WidthSetting) + "x" + std::to_string(settings.HeightSetting);
  if (settings.GetFlag(FlagGameMode) == 1) name += "a";
  return name;
}

std::string HighScoreKey(const TSettings& settings) {
  return std::string(HighScoresKeyPath) + "\\" + HighScoreTableName(settings);
}

void LoadHighScores(TSettings& settings, IHighScoreStore& store) {
  THighScoreTable table;
  if (store.ReadTable(HighScoreKey(settings), table)) ShowTable(settings, table);
  settings.BestScore = settings.HighScores[0];
}

void SaveHighScores(TSettings& settings, IHighScoreStore& store) {
  const uint32_t score = settings.Score;
  const std::string name = settings.HighScoreNames[TablePlaces];
  std::exception_ptr refused;
  THighScoreTable table;
  try {
    table = store.ChangeTable(HighScoreKey(settings),
                              [&](THighScoreTable& stored) { stored = WithNewScore(stored, score, name); });
  } catch (...) {
    refused = std::current_exception();
    table = WithNewScore(TableOf(settings), score, name);
  }
  ShowTable(settings, table);
  settings.BestScore = std::max(settings.BestScore, settings.HighScores[0]);
  if (refused) std::rethrow_exception(refused);
}

bool ScoreQualifies(const TSettings& settings) { return settings.Score > settings.HighScores[TablePlaces - 1]; }

void ShowGameResult(TSettings& settings) {
  if (ScoreQualifies(settings)) {
    settings.HighScoreNames[TablePlaces].clear();
    settings.Screen = ScreenCongratulations;
  } else {
    settings.Screen = ScreenHighScores;
  }
}

void NameEntryKeyDown(const TKeyContext& context, uint16_t key) {
  TSettings& settings = context.Game.Settings;
  IGameHost& host = context.Game.Host;
  std::string& name = settings.HighScoreNames[TablePlaces];
  if (key == VkBack) {
    if (name.empty()) return;
    host.PlayAudio(SoundMenuChar);
    name.pop_back();
  } else if (key == VkReturn) {
    host.PlayAudio(SoundMenuChar);
    // The table is shown whatever the store does: a store that refuses the score leaves the entry
    // ended, and a second Enter cannot put the same score in twice.
    settings.Screen = ScreenHighScores;
    SaveHighScores(settings, context.ScoreStore);
  } else if ((key == PadNextCharacter || key == PadPreviousCharacter) && !name.empty()) {
    host.PlayAudio(SoundMenuChar);
    name.back() = Stepped(name.back(), key == PadNextCharacter ? +1 : -1);
  } else if (const char ch = Typed(key); ch != 0 && name.size() < MaxNameLength) {
    host.PlayAudio(SoundMenuChar);
    name += ch;
  }
}

void HighScoresKeyDown(const TKeyContext& context) {
  TGame& game = context.Game;
  game.Host.PlayAudio(SoundMenuChar);
  game.Settings.Screen = ScreenMainMenu;
  game.Settings.MenuItem = ItemStartGame;
  game.StartDemo();
}
