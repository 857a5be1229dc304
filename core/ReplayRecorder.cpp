// The recorder, and how the game feeds it: every seeding and every input of a player's game.
#include "core/ReplayRecorder.h"

#include <algorithm>
#include <chrono>

#include "core/Game.h"

TReplayRecorder::TReplayRecorder()
    : Clock(SystemTickCount()), Calendar([] {
        using namespace std::chrono;
        return static_cast<int64_t>(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
      }) {}

void TReplayRecorder::Begin(const TGame& game) {
  Current.emplace();
  TReplay& replay = *Current;
  replay.Width = game.AreaWidth;
  replay.Height = game.AreaHeight;
  replay.Advanced = game.Settings.GetFlag(FlagGameMode) == 1;  // only mode 1 is Advanced
  replay.StartLevel = game.Settings.Level;
  replay.BestScore = game.Settings.BestScore;
  replay.StartedAt = Calendar();
  replay.Random = game.Random.State();
  StartMs = Clock();
}

void TReplayRecorder::Seeded(uint32_t seed) {
  if (Current) Current->Seeds.push_back(seed);
}

void TReplayRecorder::InputBegins(TReplayInput input) {
  if (!Current) return;
  auto& steps = Current->Steps;
  if (steps.size() == MaxSteps) {
    Current.reset();
    return;
  }
  // Times only go forward, even on a clock that wraps (after 49 days).
  const uint32_t time = std::max(Clock() - StartMs, steps.empty() ? 0u : steps.back().TimeMs);
  steps.push_back({time, input, 0});
}

void TReplayRecorder::InputDone(const TGame& game) {
  if (Current && !Current->Steps.empty()) Current->Steps.back().Digest = StateDigest(game);
}

TReplay TReplayRecorder::Finish(const TGame& game, bool gameOver) {
  TReplay replay = std::move(*Current);
  Current.reset();
  replay.GameOver = gameOver;
  replay.End = EndOf(game, static_cast<uint32_t>(replay.Seeds.size()));
  return replay;
}

void TGame::Reseed() {
  const uint32_t seed = TickCount();
  Recorder.Seeded(seed);
  Random.Seed(seed);
}

void TGame::InputBegins(TReplayInput input) { Recorder.InputBegins(input); }

void TGame::InputDone() {
  if (!Recorder.Recording()) return;
  Recorder.InputDone(*this);
  if (Settings.Screen == ScreenGameOver) Host.KeepReplay(Recorder.Finish(*this, true));
}

void TGame::EndRecording() {
  if (Recorder.Recording()) Host.KeepReplay(Recorder.Finish(*this, false));
}
