#include "shell/ReplayFiles.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <stdexcept>
#include <system_error>
#include <tuple>

#include "core/ReplayFormat.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/UserFolders.h"
#include "ui/HighScores.h"

namespace fs = std::filesystem;

namespace {

// A replay file's name taken apart; the date and the number after it order the replays.
struct TReplayName {
  std::string Name;
  std::string Table;
  std::string Date;
  int Number = 1;
  uint32_t Score = 0;
  bool operator<(const TReplayName& other) const {
    return std::tie(Date, Number, Name) < std::tie(other.Date, other.Number, other.Name);
  }
};

std::optional<TReplayName> ParseName(const std::string& name) {
  static const std::regex pattern(R"(([0-9]+x[0-9]+a?)-([0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}\.[0-9]{2}\.[0-9]{2}))"
                                  R"(-score-([0-9]{1,10})(-([0-9]{1,6}))?\.hbr)");
  std::smatch match;
  if (!std::regex_match(name, match, pattern)) return std::nullopt;
  const unsigned long long score = std::stoull(match[3].str());
  if (score > UINT32_MAX) return std::nullopt;
  return TReplayName{name, match[1].str(), match[2].str(), match[5].matched ? std::stoi(match[5].str()) : 1,
                     static_cast<uint32_t>(score)};
}

// Temporary files of our own writes (platform::WriteFileAtomically) that a crash left: any
// older than a minute, when no write can still be busy with it.
void RemoveLeftTemporaries(const std::string& folder) {
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.front() != '.' || name.find(".hbr.tmp-") == std::string::npos) continue;
    const auto written = entry.last_write_time(error);
    if (!error && now - written > std::chrono::minutes(1)) fs::remove(entry.path(), error);
  }
}

}  // namespace

std::string ReplayFolder() {
  const std::string state = platform::XdgBaseFolder("XDG_STATE_HOME", ".local/state");
  return state.empty() ? state : state + "/huebloc/replays";
}

std::string ReplayFileName(const std::string& table, int64_t startedAt, uint32_t score) {
  const auto time = static_cast<std::time_t>(startedAt);
  std::tm local{};
  localtime_r(&time, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H.%M.%S", &local);
  return table + "-" + date + "-score-" + std::to_string(score) + ".hbr";
}

std::optional<std::array<uint32_t, 5>> StoredTableScores(const std::string& table) {
  try {
    THighScoreTable stored;
    THighScoreRegistry().ReadStoredTable(std::string(HighScoresKeyPath) + "\\" + table, stored);
    return stored.Scores;
  } catch (const std::exception&) {
    return std::nullopt;  // a damaged store keeps every replay of the table
  }
}

std::vector<std::string> ReplaysToRemove(const std::vector<std::string>& names, const TTableScores& scores) {
  std::map<std::string, std::vector<TReplayName>> byTable;
  for (const std::string& name : names)
    if (auto parsed = ParseName(name)) byTable[parsed->Table].push_back(std::move(*parsed));

  std::vector<TReplayName> others;
  for (auto& [table, replays] : byTable) {
    const auto tableScores = scores(table);
    if (!tableScores) continue;
    std::sort(replays.begin(), replays.end());
    std::map<uint32_t, int> places;  // how many places of the table hold each score
    for (const uint32_t score : *tableScores)
      if (score > 0) ++places[score];
    for (const TReplayName& replay : replays) {
      int& left = places[replay.Score];
      if (left > 0) {
        --left;
      } else {
        others.push_back(replay);
      }
    }
  }
  std::sort(others.begin(), others.end());
  std::vector<std::string> removed;
  for (std::size_t i = 0; i + KeptOtherReplays < others.size(); ++i) removed.push_back(others[i].Name);
  return removed;
}

std::string KeepReplayFile(const std::string& folder, const std::string& table, const TReplay& replay,
                           const TTableScores& scores) {
  if (folder.empty())
    throw std::runtime_error("there is no home folder to keep it in (neither XDG_STATE_HOME nor HOME holds an "
                             "absolute path)");
  platform::MakePrivateDirectories(folder);
  const std::string name = ReplayFileName(table, replay.StartedAt, replay.End.Score);
  std::string path = folder + "/" + name;
  std::error_code error;
  for (int number = 2; fs::exists(path, error); ++number)
    path = folder + "/" + name.substr(0, name.size() - 4) + "-" + std::to_string(number) + ".hbr";
  platform::WriteFileAtomically(path, EncodeReplay(replay));

  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
  for (const std::string& gone : ReplaysToRemove(names, scores)) fs::remove(folder + "/" + gone, error);
  RemoveLeftTemporaries(folder);
  return path;
}
