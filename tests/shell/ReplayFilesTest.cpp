// Where the replays go and which stay: a name that tells the table, the date and the score; the
// replay of every score in a table kept while it is there, the last few of the others; the
// window keeping a game's replay when it is over or abandoned, and a replay that cannot be
// written costing one line on the standard error and nothing else.
#include "shell/ReplayFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>

#include "core/ReplayFormat.h"
#include "shell/Window.h"
#include "support/TempStore.h"
#include "ui/DefaultSettings.h"
#include "ui/KeyDispatch.h"

namespace fs = std::filesystem;

namespace {

// Named as a game of the table, begun on 9 December 2025 at that second past 10:00.
std::string Named(const std::string& table, int second, uint32_t score, const std::string& number = "") {
  char date[32];
  std::snprintf(date, sizeof date, "2025-12-09T10.%02d.%02d", second / 60, second % 60);
  return table + "-" + date + "-score-" + std::to_string(score) + number + ".hbr";
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(ReplayFiles, ANameTellsTheTableTheLocalDateAndTheScore) {
  const char* zone = std::getenv("TZ");
  const std::string saved = zone != nullptr ? zone : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  EXPECT_EQ(ReplayFileName("7x10a", 1'765'300'000, 4350), "7x10a-2025-12-09T18.06.40-score-4350.hbr");
  zone != nullptr ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();

  TempStore store;
  EXPECT_EQ(ReplayFolder(), store.ReplayFolder().string());
}

TEST(ReplayFiles, ScoresInATableKeepTheirReplaysAndOfTheOthersTheLastTen) {
  const std::map<std::string, std::array<uint32_t, 5>> tables = {
      {"7x10", {900, 500, 500, 300, 0}},  // 500 twice: the two oldest replays of 500
      {"5x7a", {0, 0, 0, 0, 0}},
  };
  const TTableScores scores = [&](const std::string& table) -> std::optional<std::array<uint32_t, 5>> {
    const auto found = tables.find(table);
    if (found == tables.end()) return std::nullopt;  // a table the store cannot tell
    return found->second;
  };
  std::vector<std::string> names = {
      Named("7x10", 1, 900), Named("7x10", 2, 500), Named("7x10", 3, 500), Named("7x10", 4, 500),
      Named("7x10", 5, 300), Named("7x10", 5, 300, "-2"), Named("7x10", 6, 0), "notes.txt",
      "7x10-yesterday-score-10.hbr", Named("9x9", 7, 10),  // a table the store cannot tell
  };
  // Twelve games that entered no table, the first of them as old as the table's.
  for (int i = 0; i < 12; ++i) names.push_back(Named(i % 2 == 0 ? "5x7a" : "7x10", 10 * i, 100 + i));
  std::sort(names.begin(), names.end());
  const std::vector<std::string> removed = ReplaysToRemove(names, scores);
  // Of the others (the third 500, the second 300, the 0 and the twelve) the ten latest stay.
  const std::set<std::string> expected = {Named("7x10", 4, 500), Named("7x10", 5, 300, "-2"), Named("7x10", 6, 0),
                                          Named("5x7a", 0, 100), Named("7x10", 10, 101)};
  EXPECT_EQ(std::set<std::string>(removed.begin(), removed.end()), expected);
}

TEST(ReplayFiles, AReplayIsWrittenWholeUnderANameOfItsOwnAndTheOldOnesGo) {
  TempStore store;
  const fs::path folder = store.ReplayFolder();
  TReplay replay;
  replay.Width = 7;
  replay.Height = 10;
  replay.StartedAt = 1'765'300'000;
  replay.End = {120, 0, 3, std::vector<uint8_t>(70, 0)};
  const std::string name = ReplayFileName("7x10", replay.StartedAt, 120);

  const std::string first = KeepReplayFile(folder.string(), "7x10", replay);
  EXPECT_EQ(first, (folder / name).string()) << "the folder is made";
  EXPECT_EQ(DecodeReplay(TempStore::ReadText(first)), replay);
  const std::string second = KeepReplayFile(folder.string(), "7x10", replay);
  EXPECT_EQ(second, (folder / (name.substr(0, name.size() - 4) + "-2.hbr")).string());

  // Temporary files a crash left go once they are a minute old; a fresh one may be a write
  // of another copy of the game still going on.
  TempStore::WriteText(folder / ".old.hbr.tmp-AAAAAA", "x");
  TempStore::WriteText(folder / ".new.hbr.tmp-BBBBBB", "x");
  fs::last_write_time(folder / ".old.hbr.tmp-AAAAAA", fs::file_time_type::clock::now() - std::chrono::minutes(2));
  for (int i = 0; i < 10; ++i) KeepReplayFile(folder.string(), "7x10", replay);
  const std::set<std::string> left = Listing(folder);
  EXPECT_EQ(left.size(), KeptOtherReplays + 1);
  EXPECT_FALSE(left.contains(name)) << "the oldest of twelve goes";
  EXPECT_FALSE(left.contains(".old.hbr.tmp-AAAAAA"));
  EXPECT_TRUE(left.contains(".new.hbr.tmp-BBBBBB"));

  // A folder that cannot be made: nothing is written, and it says why.
  TempStore::WriteText(store.Root / "file", "");
  EXPECT_THROW(KeepReplayFile((store.Root / "file" / "replays").string(), "7x10", replay), std::exception);
  EXPECT_THROW(KeepReplayFile("", "7x10", replay), std::exception);
}

// The window keeps a game's replay when it is over and when the window closes on a game;
// one that cannot be written is one line on the standard error, and the game goes on.
TEST(ReplayFiles, TheWindowKeepsTheReplayOfEveryGamePlayedInIt) {
  TempStore store;
  WriteDefaultSettings("/nowhere");  // 7 x 14 Standard at level 0
  uint64_t now = 1000;
  TFormWindow w([&] { return now; });
  ASSERT_TRUE(w.InitDirectX());
  const auto startGame = [&] {
    w.Settings.Screen = ScreenMainMenu;
    w.Settings.MenuItem = ItemStartGame;
    w.FormKeyDown(VkReturn);
    w.FormKeyUp(VkReturn);
    ASSERT_EQ(w.Settings.Screen, ScreenPlaying);
  };

  startGame();
  for (int i = 0; i < 3000 && w.Settings.Screen == ScreenPlaying; ++i) {
    now += 1000;
    w.Timers.FireDue();
  }
  ASSERT_EQ(w.Settings.Screen, ScreenGameOver);
  std::set<std::string> kept = Listing(store.ReplayFolder());
  ASSERT_EQ(kept.size(), 1u);
  const std::string over = *kept.begin();
  EXPECT_EQ(over.substr(0, 5), "7x14-");
  EXPECT_NE(over.find("-score-" + std::to_string(w.Settings.Score) + ".hbr"), std::string::npos) << over;
  EXPECT_TRUE(DecodeReplay(TempStore::ReadText(store.ReplayFolder() / over)).GameOver);

  startGame();
  w.Form.Close();  // from the title bar, during the game
  kept = Listing(store.ReplayFolder());
  ASSERT_EQ(kept.size(), 2u);
  kept.erase(over);
  EXPECT_FALSE(DecodeReplay(TempStore::ReadText(store.ReplayFolder() / *kept.begin())).GameOver);

  // The place for the replays is a file: the game goes on, and says so once.
  fs::remove_all(store.StateHome());
  TempStore::WriteText(store.StateHome(), "");
  startGame();
  testing::internal::CaptureStderr();
  w.Game.BeginPlay();  // Restart Game: the game left is kept
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(w.Settings.Screen, ScreenPlaying);
  EXPECT_EQ(said.rfind("huebloc: the replay of this game is not kept: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
