// Name entry on the real store, in processes of their own: a score that cannot be stored is
// reported with the file and the cause while the game goes on, and games entering scores into
// one table at the same time lose none and double none.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "core/Game.h"
#include "platform/Registry.h"
#include "support/RecordingHost.h"
#include "support/TempStore.h"
#include "ui/HighScores.h"

namespace {

using namespace std::chrono_literals;
using ScoreList = std::array<uint32_t, 5>;

// A game at its name entry on the 7 x 10 Standard table, entering through the real store.
struct EnteringGame {
  EnteringGame() {
    Settings.WidthSetting = 7;
    Settings.HeightSetting = 10;
  }
  // Enter on a score with a name; what the store said ("" when it took the score).
  std::string Enter(uint32_t score, const std::string& name) {
    Settings.Score = score;
    Settings.BestScore = std::max(Settings.BestScore, score);
    Settings.Screen = ScreenCongratulations;
    Settings.HighScoreNames[5] = name;
    try {
      NameEntryKeyDown(TKeyContext{Game, Store}, VkReturn);
    } catch (const std::exception& error) {
      return error.what();
    }
    return {};
  }
  ScoreList Shown() const {
    ScoreList shown;
    std::copy_n(Settings.HighScores.begin(), 5, shown.begin());
    return shown;
  }

  TSettings Settings;
  RecordingHost Host;
  TGame Game{Settings, Host};
  THighScoreRegistry Store;
};

// Runs work in a child process and returns what it wrote to out; the child ends with it.
std::string InChild(const std::function<void(int out)>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "(no pipe)";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    work(pipeEnds[1]);
    _exit(0);
  }
  close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : text + "(the child failed)";
}

void Send(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote <= 0) _exit(1);
    done += static_cast<std::size_t>(wrote);
  }
}

int InjectedError = 0;
ssize_t FailingWrite(int, const void*, std::size_t) {
  errno = InjectedError;
  return -1;
}

// A slow disk: every write of the store's file takes 300 ms longer.
ssize_t SlowWrite(int fd, const void* data, std::size_t size) {
  std::this_thread::sleep_for(300ms);
  return ::write(fd, data, size);
}

}  // namespace

// A qualifying score on a data folder where its table cannot be created: the store's failure
// names the file and the cause, the game goes on to the table with the score shown, and nothing
// is stored. The same for a store locked by another program that never lets go.
TEST(HighScoreStore, AScoreThatCannotBeStoredIsReportedAndTheGameGoesOn) {
  TempStore temp;
  const std::filesystem::path folder = temp.DataHome() / "huebloc";
  const std::string file = temp.ScoresFile().string();
  const std::string failed = "Failed to set data for 's1': " + file + ": ";
  const struct {
    std::string What;
    std::function<void()> Prepare;  // in the parent
    std::function<void()> InGame;   // in the game's process, before Enter
    std::string Cause;
  } cases[] = {
      {"full", [] {}, [] {
         InjectedError = ENOSPC;
         platform::SetWriteCall(&FailingWrite);
       },
       "No space left on device"},
      {"no folder", [&] { TempStore::WriteText(temp.DataHome(), "a file where the folder should be"); }, [] {},
       "cannot create the folder '" + folder.string() + "': Not a directory"},
      {"read-only",
       [&] {
         std::filesystem::create_directories(folder);
         chmod(temp.Root.c_str(), 0755);
         chmod(temp.DataHome().c_str(), 0755);
         chmod(folder.c_str(), 0555);
       },
       [] {
         // Root may write anywhere: the game runs as a user without rights here.
         if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                                setresuid(65534, 65534, 65534) != 0))
           _exit(1);
       },
       "cannot open its lock file '" + file + ".lock': Permission denied"},
      {"locked",
       [&] {
         std::filesystem::create_directories(folder);
         TempStore::WriteText(file + ".lock", "");
       },
       [] { platform::SetLockWaitLimit(200ms); },
       "it is locked by another program: its lock file '" + file + ".lock' has been held for more than 200 ms"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove_all(temp.DataHome());
    c.Prepare();
    // The lock is held all along by this process, another one than the game's.
    const int lock = open((file + ".lock").c_str(), O_RDWR);
    if (c.What == "locked") {
      ASSERT_EQ(flock(lock, LOCK_EX), 0);
    }
    const std::string result = InChild([&](int out) {
      c.InGame();
      EnteringGame game;
      const std::string message = game.Enter(210, "ADA");
      Send(out, message + "\n" + std::to_string(game.Settings.Screen) + " " + std::to_string(game.Shown()[0]) + " " +
                    game.Settings.HighScoreNames[0] + " " + std::to_string(game.Settings.BestScore));
    });
    if (lock >= 0) close(lock);
    EXPECT_EQ(result, failed + c.Cause + "\n12 210 ADA 210");
    EXPECT_FALSE(std::filesystem::exists(file)) << "a table was stored";
    chmod(folder.c_str(), 0755);
  }
}

// Games entering new best scores into one table at once, in processes of their own, in every
// timing: at the same moment, within 10 ms of each other, and with one game's store 300 ms slow
// (the others arrive while it writes). Every round every score must be in the table with its own
// name, none twice, and each game must show the table as its own change stored it.
//
// HUEBLOC_RACE_ROUNDS, HUEBLOC_RACE_GAMES and HUEBLOC_RACE_TIMING (same, near or slow; all three
// in turn when unset) run it longer by hand.
TEST(HighScoreStore, GamesEnteringScoresAtOnceLoseNoneAndDoubleNone) {
  const auto knob = [](const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
  };
  const int rounds = knob("HUEBLOC_RACE_ROUNDS", 500);
  const int games = std::clamp(knob("HUEBLOC_RACE_GAMES", 3), 2, 9);
  const std::string only = std::getenv("HUEBLOC_RACE_TIMING") != nullptr ? std::getenv("HUEBLOC_RACE_TIMING") : "";
  enum Timing { Same, Near, Slow };
  const char* const timingNames[] = {"same moment", "within 10 ms", "one store 300 ms slow"};
  const auto timingOf = [&](int round) {
    if (only == "same") return Same;
    if (only == "near") return Near;
    if (only == "slow") return Slow;
    return round % 25 == 24 ? Slow : round % 2 == 0 ? Same : Near;  // slow rounds are few: each takes 300 ms
  };
  // Round r's scores beat every earlier one; a score says whose it is.
  const auto scoreOf = [&](int round, int game) { return static_cast<uint32_t>(10 * (round + 1) + game); };
  const auto nameOf = [](uint32_t score) {
    return "G" + std::to_string(score % 10) + "R" + std::to_string(score / 10 - 1);
  };

  TempStore temp;
  struct Player {
    pid_t Pid;
    int Command, Reply;
  };
  std::vector<Player> players;
  for (int g = 0; g < games; ++g) {
    int command[2], reply[2];
    ASSERT_EQ(pipe(command), 0);
    ASSERT_EQ(pipe(reply), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(command[1]);
      close(reply[0]);
      for (const Player& other : players) {  // so that each game sees the end of its own commands
        close(other.Command);
        close(other.Reply);
      }
      EnteringGame game;
      // Each command: the round, the wait before Enter in microseconds, and whether this game's
      // store is slow; each reply: what the store said and the table the game shows.
      for (int32_t order[3]; read(command[0], order, sizeof order) == sizeof order;) {
        platform::SetWriteCall(order[2] != 0 ? &SlowWrite : nullptr);
        std::this_thread::sleep_for(std::chrono::microseconds(order[1]));
        const uint32_t score = scoreOf(order[0], g);
        const std::string message = game.Enter(score, nameOf(score));
        std::string shown;
        for (const uint32_t s : game.Shown()) shown += std::to_string(s) + " ";
        for (std::size_t i = 0; i < 5; ++i) shown += game.Settings.HighScoreNames[i] + " ";
        Send(reply[1], message + "|" + shown + "\n");
      }
      _exit(0);
    }
    close(command[0]);
    close(reply[1]);
    players.push_back({pid, command[1], reply[0]});
  }

  std::mt19937 random(22);
  struct Figures {
    int Rounds = 0, Lost = 0, Doubled = 0, WrongShown = 0, Refused = 0;
  } figures[3];
  ScoreList before{};  // the table as the last round left it
  const auto placed = [&](std::set<uint32_t> fresh) {  // before, with the fresh scores placed
    for (const uint32_t s : before) fresh.insert(s);
    ScoreList table{};
    std::copy_n(fresh.rbegin(), std::min<std::size_t>(5, fresh.size()), table.begin());
    return table;
  };
  for (int round = 0; round < rounds; ++round) {
    const Timing timing = timingOf(round);
    Figures& f = figures[timing];
    ++f.Rounds;
    const int slow = static_cast<int>(random() % static_cast<unsigned>(games));
    for (int g = 0; g < games; ++g) {
      int32_t order[3] = {round, 0, 0};
      if (timing == Near) order[1] = static_cast<int32_t>(random() % 10000);
      if (timing == Slow) order[1] = g == slow ? 0 : static_cast<int32_t>(random() % 300000);
      order[2] = timing == Slow && g == slow;
      ASSERT_EQ(write(players[g].Command, order, sizeof order), static_cast<ssize_t>(sizeof order));
    }
    std::vector<std::string> replies;
    for (const Player& player : players) {
      std::string line;
      for (char ch; read(player.Reply, &ch, 1) == 1 && ch != '\n';) line += ch;
      replies.push_back(line);
    }

    // The table as stored, against every score of the round placed.
    THighScoreTable stored;
    ASSERT_TRUE(THighScoreRegistry().ReadTable(std::string(HighScoresKeyPath) + "\\7x10", stored));
    std::set<uint32_t> fresh, distinct;
    for (int g = 0; g < games; ++g) fresh.insert(scoreOf(round, g));
    for (const uint32_t s : fresh) f.Lost += std::count(stored.Scores.begin(), stored.Scores.end(), s) == 0;
    bool wrong = false;
    for (std::size_t i = 0; i < 5; ++i) {
      if (stored.Scores[i] == 0) continue;
      wrong |= !distinct.insert(stored.Scores[i]).second || stored.Names[i] != nameOf(stored.Scores[i]);
    }
    f.Doubled += wrong;
    EXPECT_EQ(stored.Scores, placed(fresh)) << "round " << round;

    // Each game shows the table its own transaction stored: the earlier table with its own score
    // and the scores of the games that came before it, a different number of them for each.
    std::set<std::size_t> counts;
    for (int g = 0; g < games; ++g) {
      const std::string& reply = replies[g];
      const std::size_t bar = reply.find('|');
      f.Refused += bar != 0;
      ScoreList shown{};
      std::istringstream words(reply.substr(bar + 1));
      for (uint32_t& s : shown) words >> s;
      std::set<uint32_t> seen;
      for (const uint32_t s : shown)
        if (fresh.count(s) != 0) seen.insert(s);
      counts.insert(seen.size());
      f.WrongShown += seen.count(scoreOf(round, g)) == 0 || shown != placed(seen);
    }
    f.WrongShown += counts.size() != static_cast<std::size_t>(games);
    before = stored.Scores;
  }
  for (const Player& player : players) {
    close(player.Command);
    int status = 0;
    waitpid(player.Pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(player.Reply);
  }
  for (int t = 0; t < 3; ++t) {
    const Figures& f = figures[t];
    if (f.Rounds == 0) continue;
    std::printf("%d games, %s: %d rounds, %d scores lost, %d tables with an entry twice or a wrong name, "
                "%d tables shown wrong, %d refused\n",
                games, timingNames[t], f.Rounds, f.Lost, f.Doubled, f.WrongShown, f.Refused);
    EXPECT_EQ(f.Lost, 0) << timingNames[t];
    EXPECT_EQ(f.Doubled, 0) << timingNames[t];
    EXPECT_EQ(f.WrongShown, 0) << timingNames[t];
    EXPECT_EQ(f.Refused, 0) << timingNames[t];
  }
}
