// Composition of whole screens from the game's own pictures, without a window: a full 10 x 14
// board in play and the high-score table, as composed after every tick or key press.
#include <benchmark/benchmark.h>

#include "core/Game.h"
#include "render/ComposeScreen.h"
#include "render/SurfaceSet.h"

namespace {

class TNoWindow final : public IComposeHost {
 public:
  void SetWaitCursor() override {}
  void EnableTimerTitle() override {}
  void EnableTimerExit() override {}
};

void Compose(benchmark::State& state, TScreen screen) {
  TSurfaceSet surfaces(TSurface::NoWindow);
  TSettings settings;
  TNullGameHost host;
  TGame game(settings, host);
  game.AreaWidth = MaxAreaWidth;
  game.AreaHeight = MaxAreaHeight;
  for (int c = 0; c < MaxAreaWidth; ++c)
    for (int r = 0; r < MaxAreaHeight; ++r) {
      settings.Areas[c][r] = std::make_unique<TArea>(static_cast<uint8_t>((c + r) % 9));
      settings.Bubbles[c][r] = std::make_unique<TBubble>(static_cast<uint8_t>((c * 3 + r) % 8));
    }
  for (int i = 0; i < 5; ++i) settings.HighScores[i] = 90000u - 1000u * i, settings.HighScoreNames[i] = "QUENTIN";
  settings.Screen = screen;
  settings.Score = 1234567;
  TNoWindow window;
  for (auto _ : state) {
    ComposeScreen(TScreenView{game, true, true}, surfaces, window);
    benchmark::DoNotOptimize(surfaces[BackBuffer].Pixels->Row(0).data());
  }
}

void BM_ComposeFullBoard(benchmark::State& state) { Compose(state, ScreenPlaying); }
BENCHMARK(BM_ComposeFullBoard)->Unit(benchmark::kMicrosecond);

void BM_ComposeHighScores(benchmark::State& state) { Compose(state, ScreenHighScores); }
BENCHMARK(BM_ComposeHighScores)->Unit(benchmark::kMicrosecond);

}  // namespace
