// Blitter speed: the full-window picture against a plain memory copy, single cells, and a
// whole play-screen composition's worth of blits.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/Graphics.h"

namespace {

using namespace platform;

constexpr int ScreenW = 632;
constexpr int ScreenH = 453;
constexpr uint32_t PieceKey = 0x00FFFEC1;
constexpr uint32_t FrameKey = 0x00F8A521;

// A picture with some structure, and a key-coloured border like the pieces' corners.
Surface Picture(int w, int h, std::optional<uint32_t> key = std::nullopt) {
  Surface s(w, h, key);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool corner = key && (x + y < 6 || x + (h - 1 - y) < 6 || (w - 1 - x) + y < 6 || (w - 1 - x) + (h - 1 - y) < 6);
      s.Row(y)[x] = corner ? *key : (static_cast<uint32_t>(x * 2654435761u + y * 40503u) & ColourMask);
    }
  return s;
}

void BM_MemcpyFullWindow(benchmark::State& state) {
  std::vector<uint32_t> from(ScreenW * ScreenH, 0x00102030), to(ScreenW * ScreenH);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * ScreenW * ScreenH * 4);
}
BENCHMARK(BM_MemcpyFullWindow);

void BM_OpaqueFullWindowBlt(benchmark::State& state) {
  const Surface picture = Picture(ScreenW, ScreenH);
  Surface back(ScreenW, ScreenH);
  for (auto _ : state) {
    benchmark::DoNotOptimize(back.Blt(nullptr, picture, nullptr, DDBLT_WAIT));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * ScreenW * ScreenH * 4);
}
BENCHMARK(BM_OpaqueFullWindowBlt);

void BM_OpaqueCell(benchmark::State& state) {
  const Surface tile = Picture(30, 30);
  Surface back(ScreenW, ScreenH);
  const Rect to{130, 137, 160, 167};
  for (auto _ : state) benchmark::DoNotOptimize(back.Blt(&to, tile, nullptr, DDBLT_WAIT));
}
BENCHMARK(BM_OpaqueCell);

void BM_KeyedCell(benchmark::State& state) {
  const Surface piece = Picture(30, 30, PieceKey);
  Surface back(ScreenW, ScreenH);
  const Rect to{130, 137, 160, 167};
  for (auto _ : state) benchmark::DoNotOptimize(back.Blt(&to, piece, nullptr, DDBLT_WAIT | DDBLT_KEYSRC));
}
BENCHMARK(BM_KeyedCell);

void BM_MirroredFrameBar(benchmark::State& state) {
  const Surface bar = Picture(10, 430, FrameKey);
  Surface back(ScreenW, ScreenH);
  const Rect from{0, 0, 10, 430};
  const Rect to{340, 17, 350, 447};
  for (auto _ : state)
    benchmark::DoNotOptimize(back.Blt(&to, bar, &from, DDBLT_WAIT | DDBLT_KEYSRC | DDBLT_DDFX, DDBLTFX_MIRRORLEFTRIGHT));
}
BENCHMARK(BM_MirroredFrameBar);

void BM_StretchedFullWindow(benchmark::State& state) {
  const Surface picture = Picture(ScreenW / 2, ScreenH / 2);
  Surface back(ScreenW, ScreenH);
  for (auto _ : state) benchmark::DoNotOptimize(back.Blt(nullptr, picture, nullptr, DDBLT_WAIT));
}
BENCHMARK(BM_StretchedFullWindow);

// What composing the play screen of a full 10 x 14 game costs the blitter: the background
// picture, four frame bars (two mirrored), 140 tiles, 140 pieces and the three numbers.
void BM_PlayScreenWorkload(benchmark::State& state) {
  const Surface background = Picture(ScreenW, ScreenH);
  const Surface frameH = Picture(310, 10, FrameKey);
  const Surface frameV = Picture(10, 430, FrameKey);
  const Surface tile = Picture(30, 30);
  const Surface piece = Picture(30, 30, PieceKey);
  const Surface digits = Picture(129, 16, 0x00FFFFFF);
  Surface back(ScreenW, ScreenH);
  const Rect hFrom{0, 0, 310, 10};
  const Rect vFrom{0, 0, 10, 430};
  const Rect frames[4] = {{40, 7, 350, 17}, {30, 437, 340, 447}, {30, 7, 40, 437}, {340, 17, 350, 447}};
  for (auto _ : state) {
    back.Blt(nullptr, background, nullptr, DDBLT_WAIT);
    back.Blt(&frames[0], frameH, &hFrom, DDBLT_WAIT | DDBLT_KEYSRC);
    back.Blt(&frames[1], frameH, &hFrom, DDBLT_WAIT | DDBLT_KEYSRC | DDBLT_DDFX, DDBLTFX_MIRRORUPDOWN);
    back.Blt(&frames[2], frameV, &vFrom, DDBLT_WAIT | DDBLT_KEYSRC);
    back.Blt(&frames[3], frameV, &vFrom, DDBLT_WAIT | DDBLT_KEYSRC | DDBLT_DDFX, DDBLTFX_MIRRORLEFTRIGHT);
    for (int r = 0; r < 14; ++r)
      for (int c = 0; c < 10; ++c) {
        const Rect cell{40 + 30 * c, 17 + 30 * r, 70 + 30 * c, 47 + 30 * r};
        back.Blt(&cell, tile, nullptr, DDBLT_WAIT);
      }
    for (int c = 0; c < 10; ++c)
      for (int r = 0; r < 14; ++r) {
        const Rect cell{40 + 30 * c, 17 + 30 * r, 70 + 30 * c, 47 + 30 * r};
        back.Blt(&cell, piece, nullptr, DDBLT_WAIT | DDBLT_KEYSRC);
      }
    // Score, level and best score: about ten glyphs cut from the digit strip.
    for (int g = 0; g < 10; ++g) {
      const Rect from{g * 12, 0, g * 12 + 13, 16};
      const Rect to{450 + (g % 5) * 13, 100 + (g / 5) * 60, 463 + (g % 5) * 13, 116 + (g / 5) * 60};
      back.Blt(&to, digits, &from, DDBLT_WAIT | DDBLT_KEYSRC);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PlayScreenWorkload)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
