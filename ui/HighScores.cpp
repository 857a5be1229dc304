#include "ui/HighScores.h"

#include <exception>
#include <locale>
#include <utility>
#include <vector>

#include "core/Game.h"
#include "platform/Registry.h"

namespace {

constexpr std::size_t MaxNameLength = 8;
constexpr std::size_t TablePlaces = 5;

std::string ScoreValue(std::size_t place) { return "s" + std::to_string(place + 1); }
std::string NameValue(std::size_t place) { return "n" + std::to_string(place + 1); }

// A key code taken as a character, classified in the C locale whatever the program's locale.
// Only codes 0..255 are characters at all; larger key codes type nothing.
bool TypesACharacter(uint16_t key) {
  if (key > 255) return false;
  const auto ch = static_cast<char>(key);
  const std::locale& c = std::locale::classic();
  return std::isalnum(ch, c) || std::isspace(ch, c);
}

}  // namespace

bool THighScoreRegistry::ReadTable(const std::string& key, THighScoreTable& table) {
  TRegistry registry;
  if (!registry.OpenKey(key, true)) return false;
  // The places a new table lacks are written in one go, as zeros and empty names.
  std::vector<platform::RegValue> missing;
  for (std::size_t place = 0; place < TablePlaces; ++place) {
    const std::string score = ScoreValue(place), name = NameValue(place);
    if (registry.ValueExists(score)) {
      table.Scores[place] = static_cast<uint32_t>(registry.ReadInteger(score));
    } else {
      table.Scores[place] = 0;
      missing.push_back(TRegistry::IntegerValue(score, 0));
    }
    if (registry.ValueExists(name)) {
      table.Names[place] = registry.ReadString(name);
    } else {
      table.Names[place].clear();
      missing.push_back(TRegistry::StringValue(name, ""));
    }
  }
  registry.WriteValues(std::move(missing));
  return true;
}

// The whole table in one change of the file: a crash never leaves half a table.
void THighScoreRegistry::WriteTable(const std::string& key, const THighScoreTable& table) {
  TRegistry registry;
  if (!registry.OpenKey(key, true)) return;
  std::vector<platform::RegValue> values;
  for (std::size_t place = 0; place < TablePlaces; ++place) {
    values.push_back(TRegistry::IntegerValue(ScoreValue(place), static_cast<int32_t>(table.Scores[place])));
    values.push_back(TRegistry::StringValue(NameValue(place), table.Names[place]));
  }
  registry.WriteValues(std::move(values));
}

std::string HighScoreKey(const TSettings& settings) {
  std::string key = std::string(HighScoresKeyPath) + "\\" + std::to_string(settings.WidthSetting) + "x" +
                    std::to_string(settings.HeightSetting);
  if (settings.GetFlag(FlagGameMode) == 1) key += "a";
  return key;
}

void LoadHighScores(TSettings& settings, IHighScoreStore& store) {
  THighScoreTable table;
  if (store.ReadTable(HighScoreKey(settings), table)) {
    for (std::size_t place = 0; place < TablePlaces; ++place) {
      settings.HighScores[place] = table.Scores[place];
      settings.HighScoreNames[place] = std::move(table.Names[place]);
    }
  }
  settings.BestScore = settings.HighScores[0];
}

void SaveHighScores(const TSettings& settings, IHighScoreStore& store) {
  THighScoreTable table;
  for (std::size_t place = 0; place < TablePlaces; ++place) {
    table.Scores[place] = settings.HighScores[place];
    table.Names[place] = settings.HighScoreNames[place];
  }
  store.WriteTable(HighScoreKey(settings), table);
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
    // Another copy of the game may have put a score in this table since it was read: the new
    // score goes into the table as it is stored now, so that neither is lost.
    std::exception_ptr unreadable;
    try {
      LoadHighScores(settings, context.ScoreStore);
    } catch (...) {
      unreadable = std::current_exception();
    }
    settings.HighScores[TablePlaces] = settings.Score;
    // Highest first; equal scores never swap, so a new score goes below an equal older one.
    // The sixth entry, the lowest, drops out.
    auto& scores = settings.HighScores;
    for (std::size_t n = TablePlaces; n >= 1; --n) {
      for (std::size_t i = 0; i < n; ++i) {
        if (scores[i] < scores[i + 1]) {
          std::swap(scores[i], scores[i + 1]);
          std::swap(settings.HighScoreNames[i], settings.HighScoreNames[i + 1]);
        }
      }
    }
    // The table is shown before it is stored: a store that refuses it leaves the entry ended,
    // and a second Enter cannot put the same score in twice.
    settings.Screen = ScreenHighScores;
    if (unreadable) std::rethrow_exception(unreadable);  // a table that cannot be read is not written over
    SaveHighScores(settings, context.ScoreStore);
  } else if (TypesACharacter(key) && name.size() < MaxNameLength) {
    host.PlayAudio(SoundMenuChar);
    name += std::toupper(static_cast<char>(key), std::locale::classic());
  }
}

void HighScoresKeyDown(const TKeyContext& context) {
  TGame& game = context.Game;
  game.Host.PlayAudio(SoundMenuChar);
  game.Settings.Screen = ScreenMainMenu;
  game.Settings.MenuItem = ItemStartGame;
  game.StartDemo();
}
