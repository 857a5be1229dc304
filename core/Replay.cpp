// Digests and ends of games, and a recorded game played back into a game.
#include "core/Replay.h"

#include <cstdio>

#include "core/Game.h"

namespace {

// FNV-1a, 32 bits: small, fast and spreads single changes over the whole digest.
class TDigest {
 public:
  // Each value's bytes, low byte first.
  template <class... T>
  void Add(T... values) {
    (AddBytes(static_cast<uint64_t>(values), sizeof values), ...);
  }
  uint32_t Value() const { return Hash; }

 private:
  void AddBytes(uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      Hash ^= static_cast<uint8_t>(value >> (8 * i));
      Hash *= 16777619u;
    }
  }
  uint32_t Hash = 2166136261u;
};

const char* InputName(TReplayInput input) {
  switch (input) {
    case TReplayInput::Tick: return "a tick";
    case TReplayInput::Left: return "Left";
    case TReplayInput::Right: return "Right";
    case TReplayInput::Up: return "Up";
    case TReplayInput::Escape: return "Escape";
    case TReplayInput::FocusLost: return "the focus lost";
    case TReplayInput::Resume: return "Resume";
  }
  return "?";
}

}  // namespace

uint8_t ReplayCell(const TGame& game, int column, int row) {
  const TBubble* bubble = game.Settings.Bubbles[column][row].get();
  const TArea* tile = game.Settings.Areas[column][row].get();
  const int low = bubble != nullptr ? bubble->GetColour() + 1 : 0;
  const int high = tile != nullptr ? tile->GetValue() & 15 : ReplayNoTile;
  return static_cast<uint8_t>(high << 4 | low);
}

uint32_t StateDigest(const TGame& game) {
  const TSettings& s = game.Settings;
  TDigest digest;
  digest.Add(static_cast<uint8_t>(s.Screen), s.Score, s.Level, s.LevelBubbles, game.AreaWidth, game.AreaHeight,
             game.AdvancedGame, game.BubbleColumn, game.BubbleRow, game.BubbleInFlight, game.LandedColumn,
             game.LandedRow, game.SpawnShift, game.Random.State().Seed, game.Random.State().Draws);
  for (int c = 0; c < MaxAreaWidth; ++c)
    for (int r = 0; r < MaxAreaHeight; ++r) digest.Add(ReplayCell(game, c, r));
  return digest.Value();
}

TReplayEnd EndOf(const TGame& game, uint32_t bubbles) {
  TReplayEnd end{game.Settings.Score, game.Settings.Level, bubbles, {}};
  for (int r = 0; r < game.AreaHeight; ++r)
    for (int c = 0; c < game.AreaWidth; ++c) end.Board.push_back(ReplayCell(game, c, r));
  return end;
}

TReplayPlayer::TReplayPlayer(const TReplay& replay, TGame& game) : Replay(replay), Game(game) {
  TSettings& settings = game.Settings;
  game.Recorder.Enabled = false;
  game.AreaWidth = replay.Width;
  game.AreaHeight = replay.Height;
  settings.ChangeFlags(FlagGameMode, replay.Advanced ? 1 : 0);
  settings.StartLevel = static_cast<int16_t>(replay.StartLevel);
  game.Random.Restore(replay.Random);
  // A game that takes more bubbles than were recorded has left the recording anyway.
  game.TickCount = [this] {
    const std::size_t taken = SeedsTaken++;
    return taken < Replay.Seeds.size() ? Replay.Seeds[taken] : 0u;
  };
  game.BeginPlay();
  settings.BestScore = replay.BestScore;
}

bool TReplayPlayer::Done() const { return Next == Replay.Steps.size() || Game.Settings.Screen == ScreenGameOver; }

void TReplayPlayer::Step() {
  const TReplayStep& step = Replay.Steps[Next++];
  switch (step.Input) {
    case TReplayInput::Tick: Game.GameTick(); break;
    case TReplayInput::Left: Game.PlayLeft(); break;
    case TReplayInput::Right: Game.PlayRight(); break;
    case TReplayInput::Up: Game.PlayUp(); break;
    case TReplayInput::Escape: Game.PlayEscape(); break;
    case TReplayInput::FocusLost: Game.FocusLost(); break;
    case TReplayInput::Resume: Game.ResumeGame(); break;
  }
  if (!Difference && StateDigest(Game) != step.Digest) Difference = Next - 1;
}

TReplayEnd TReplayPlayer::End() const { return EndOf(Game, static_cast<uint32_t>(SeedsTaken)); }

bool TReplayCheck::Matches(const TReplay& replay) const {
  return !FirstDifference && Played == replay.Steps.size() && GameOver == replay.GameOver && End == replay.End;
}

TReplayCheck CheckReplay(const TReplay& replay) {
  TSettings settings;
  TNullGameHost host;
  TGame game(settings, host);
  TReplayPlayer player(replay, game);
  while (!player.Done()) player.Step();
  return {player.End(), settings.Screen == ScreenGameOver, player.Played(), player.FirstDifference()};
}

std::string DescribeStep(const TReplay& replay, std::size_t index) {
  const TReplayStep& step = replay.Steps[index];
  const uint32_t ms = step.TimeMs;
  char time[32];
  std::snprintf(time, sizeof time, "%u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
  return "input " + std::to_string(index + 1) + " of " + std::to_string(replay.Steps.size()) + " (" +
         InputName(step.Input) + " at " + time + ")";
}
