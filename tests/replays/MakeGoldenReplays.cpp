// Makes the golden replays of the tests: a few games played on the real game by a scripted
// player, recorded by the game's own recorder, each written as a replay file with its end
// beside it as text. Run it by hand when a rule changes on purpose, and read the change of
// the text files:
//   make_golden_replays tests/replays
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "core/Game.h"
#include "core/ReplayFormat.h"
#include "replays/GoldenText.h"

namespace {

// The world of a scripted game: a clock of made-up milliseconds and the game's clock on it.
class TScriptHost final : public IGameHost {
 public:
  void StartClock(uint16_t periodMs) override {
    Period = periodMs;
    NextTick = Now + periodMs;
  }
  void StopClock() override { Period = 0; }
  void EnableGameOverTimer() override {}
  void PlayAudio(int) override {}
  void ComposeScreen() override {}
  void KeepReplay(const TReplay& replay) override { Kept = replay; }

  uint64_t Now = 0;
  uint16_t Period = 0;
  uint64_t NextTick = 0;
  std::optional<TReplay> Kept;
};

struct TGoldenGame {
  const char* Name;
  uint16_t Width, Height;
  bool Advanced;
  uint16_t StartLevel;
  // The player steers this many bubbles, then lets them rise until the game is over; or, when
  // AbandonAfter is set, restarts the game after that many.
  int SteeredBubbles;
  int AbandonAfter = 0;
  // Bubbles and their columns played first, by script: colour, column.
  std::vector<std::pair<uint8_t, int>> Script = {};
};

class TScriptedPlayer {
 public:
  explicit TScriptedPlayer(const TGoldenGame& golden) : Golden(golden), Game(Settings, Host) {
    Game.TickCount = [this] {
      ++Entries;
      if (!Colours.empty()) {
        const uint8_t colour = Colours.front();
        Colours.pop_front();
        return SeedForColour(colour);
      }
      return static_cast<uint32_t>(1'000'000 + Host.Now);
    };
    Game.Recorder.Clock = [this] { return static_cast<uint32_t>(Host.Now); };
    Game.Recorder.Calendar = [] { return int64_t{1'765'300'000}; };  // 2025-12-09
  }

  TReplay Play() {
    // A demo game plays first, as behind the main menu, so that the generator stands somewhere
    // after a seed when the player's game begins.
    Game.StartDemo();
    for (int i = 0; i < 9; ++i) Wait(Host.NextTick - Host.Now);
    Game.StopClock();
    Game.AreaWidth = Golden.Width;
    Game.AreaHeight = Golden.Height;
    Settings.ChangeFlags(FlagGameMode, Golden.Advanced ? 1 : 0);
    Settings.StartLevel = static_cast<int16_t>(Golden.StartLevel);
    for (const auto& [colour, column] : Golden.Script) Colours.push_back(colour);

    const int firstEntry = Entries;
    Game.BeginPlay();
    int planned = firstEntry;
    while (!Host.Kept) {
      const int bubble = Entries - firstEntry;  // the bubble in play, counted from 1
      if (Golden.AbandonAfter > 0 && bubble > Golden.AbandonAfter) {
        Game.BeginPlay();  // Restart Game: this game is abandoned
        break;
      }
      if (Entries != planned) {
        planned = Entries;
        PlayBubble(bubble);
      } else {
        Wait(Host.Period != 0 ? Host.NextTick - Host.Now : 100);
      }
    }
    return *Host.Kept;
  }

  uint32_t BiggestGain = 0;  // the most points one tick or move brought

 private:
  static uint32_t SeedForColour(uint8_t colour) {
    for (uint32_t seed = 1;; ++seed) {
      TRandom random;
      random.Seed(seed);
      if (random.Next(8) == colour) return seed;
    }
  }

  bool GameOn() const { return Settings.Screen == ScreenPlaying && !Host.Kept; }

  // Time goes on, the clock's ticks coming as they are due.
  void Wait(uint64_t ms) {
    const uint64_t until = Host.Now + ms;
    while (!Host.Kept && Host.Period != 0 && Host.NextTick <= until) {
      Host.Now = Host.NextTick;
      Host.NextTick = Host.Now + Host.Period;
      Act([this] { Game.GameTick(); });
    }
    Host.Now = until;
  }

  void Act(const std::function<void()>& action) {
    const uint32_t before = Settings.Score;
    action();
    if (Settings.Score > before) BiggestGain = std::max(BiggestGain, Settings.Score - before);
  }

  // Steers the bubble that has just entered: towards the column of the script, or the one the
  // demo player would choose, a sideways press at a time, then sends it up; now and then it
  // is left to rise with the ticks instead, and now and then the game is paused.
  void PlayBubble(int bubble) {
    const int entry = Entries;
    const auto stillThis = [&] { return GameOn() && Entries == entry && Game.BubbleInFlight; };
    const std::size_t scripted = static_cast<std::size_t>(bubble - 1);
    if (scripted >= Golden.Script.size() && bubble > Golden.SteeredBubbles) return;
    if (bubble % 23 == 7 || bubble % 31 == 11) {
      Wait(300);
      if (!GameOn()) return;
      Act([this, bubble] { bubble % 2 == 0 ? Game.FocusLost() : Game.PlayEscape(); });
      Host.Now += 2500 + 100 * static_cast<uint64_t>(bubble);
      Act([this] { Game.ResumeGame(); });
    }
    // A landing in the entry column blocks sideways moves until the clock deals with it.
    if (Game.LandedColumn == Game.BubbleColumn) Wait(Host.NextTick - Host.Now);
    if (!stillThis()) return;

    int target = 0;
    if (scripted < Golden.Script.size()) {
      target = Golden.Script[scripted].second;
    } else {
      Game.ChooseDemoColumn();
      target = Game.DemoTargetColumn >= 0 ? Game.DemoTargetColumn : Game.BubbleColumn;
    }
    for (int presses = 0; presses < 2 * MaxAreaWidth && stillThis() && Game.BubbleColumn != target; ++presses) {
      Wait(90 + 17 * static_cast<uint64_t>(presses % 3));
      if (!stillThis()) return;
      const int before = Game.BubbleColumn;
      Act([&] { target < Game.BubbleColumn ? Game.PlayLeft() : Game.PlayRight(); });
      if (Game.BubbleColumn != before) continue;
      // The column of the last landing holds the bubble until the clock has dealt with it;
      // anything else lets it go no further.
      if (Game.LandedColumn != Game.BubbleColumn) break;
      Wait(Host.NextTick - Host.Now);
    }
    Wait(120);
    if (stillThis() && (scripted < Golden.Script.size() || bubble % 5 != 0)) Act([this] { Game.PlayUp(); });
  }

  const TGoldenGame& Golden;
  TSettings Settings;
  TScriptHost Host;
  TGame Game;
  std::deque<uint8_t> Colours;
  int Entries = 0;
};

bool Write(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_golden_replays FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  // A black row over a row that is full but for one column, whose bubble above it is red: a red
  // bubble sent up that column turns both black, and both rows go at once.
  const std::vector<std::pair<uint8_t, int>> doubleRow = {{1, 2}, {0, 0}, {0, 1}, {0, 3}, {0, 4},
                                                          {0, 0}, {0, 1}, {0, 3}, {0, 4}, {1, 2}};
  const TGoldenGame games[] = {
      {"standard-5x7-double-row", 5, 7, false, 0, 60, 0, doubleRow},
      {"advanced-10x14-to-level-9", 10, 14, true, 8, 160},
      {"standard-10x14", 10, 14, false, 0, 150},
      {"advanced-5x7-level-5", 5, 7, true, 5, 80},
      {"standard-8x11-abandoned", 8, 11, false, 2, 100, 40},
  };
  int status = 0;
  for (const TGoldenGame& golden : games) {
    TScriptedPlayer player(golden);
    const TReplay replay = player.Play();
    const TReplayCheck check = CheckReplay(replay);
    const std::string base = folder + "/" + golden.Name;
    const bool written = check.Matches(replay) && Write(base + ".hbr", EncodeReplay(replay)) &&
                         Write(base + ".txt", "# " + std::string(golden.Name) + "\n" +
                                                  GoldenEndText(replay, replay.End, replay.GameOver));
    std::printf("%s: %zu inputs, %zu bubbles, score %u, level %u, biggest gain %u, %s%s\n", golden.Name,
                replay.Steps.size(), replay.Seeds.size(), replay.End.Score, replay.End.Level, player.BiggestGain,
                replay.GameOver ? "game over" : "abandoned", written ? "" : ": NOT WRITTEN");
    if (!written) status = 1;
  }
  return status;
}
