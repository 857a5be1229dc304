// Cost of the per-user store on files of growing size: parsing the text, the game's start
// (three objects reading three keys of the settings file), a fresh object reading one value,
// and writing one value (read under the lock, merge, write, sync, rename). A real settings
// file is a few KiB; 4 MiB is the largest file the store accepts. The text-only parse also
// runs on 15 MiB (500,000 values), the size a hostile file might have.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/Registry.h"
#include "tests/support/TempStore.h"

namespace {

const std::string Settings(SettingsKeyPath);

// A settings file of the given size at most: the game's own values, then filler values spread
// over keys of 100 values each.
std::string StoreText(std::size_t bytes, int* values = nullptr) {
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  text += "[HKEY_CURRENT_USER\\" + Settings + "]\n\"Path\"=\"/usr/share/huebloc\"\n\"Flags\"=dword:00000068\n";
  text += "\"Level\"=dword:00000000\n\n";
  text += "[HKEY_CURRENT_USER\\" + Settings + "\\Keys]\n\"Left\"=dword:00000025\n\"Right\"=dword:00000027\n";
  text += "\"Up\"=dword:00000026\n\n";
  text +=
      "[HKEY_CURRENT_USER\\" + Settings + "\\GamePlayArea]\n\"Height\"=dword:0000000e\n\"Width\"=dword:00000007\n\n";
  int count = 8;
  bool full = false;
  for (int key = 0; !full; ++key) {
    const std::string section = "[HKEY_CURRENT_USER\\" + Settings + "\\Extra" + std::to_string(key) + "]\n";
    if (text.size() + section.size() + 1 > bytes) break;
    text += section;
    for (int n = 0; n < 100; ++n, ++count) {
      const std::string line = "\"Value" + std::to_string(n) + "\"=\"some text " + std::to_string(count) + "\"\n";
      full = text.size() + line.size() + 1 > bytes;  // the blank line after the key must fit too
      if (full) break;
      text += line;
    }
    text += '\n';
  }
  if (values != nullptr) *values = count;
  return text;
}

void ReportSize(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["KiB"] = static_cast<double>(text.size()) / 1024.0;
}

void ParseStoreText(benchmark::State& state) {
  int values = 0;
  const std::string text = StoreText(static_cast<std::size_t>(state.range(0)), &values);
  for (auto _ : state) benchmark::DoNotOptimize(platform::ParseRegistryText(text));
  ReportSize(state, text);
  state.counters["values"] = values;
}

void FormatStoreText(benchmark::State& state) {
  const std::string text = StoreText(static_cast<std::size_t>(state.range(0)));
  const platform::RegDocument document = platform::ParseRegistryText(text);
  for (auto _ : state) benchmark::DoNotOptimize(platform::FormatRegistryText(document));
  ReportSize(state, text);
}

// What the settings' construction does: three objects, three keys, eight values.
void GameStart(benchmark::State& state) {
  TempStore store;
  const std::string text = StoreText(static_cast<std::size_t>(state.range(0)));
  TempStore::WriteText(store.SettingsFile(), text);
  for (auto _ : state) {
    TRegistry keys, area, settings;
    keys.OpenKey(Settings + "\\Keys", false);
    benchmark::DoNotOptimize(keys.ReadInteger("Left") + keys.ReadInteger("Right") + keys.ReadInteger("Up"));
    area.OpenKey(Settings + "\\GamePlayArea", false);
    benchmark::DoNotOptimize(area.ReadInteger("Height") + area.ReadInteger("Width"));
    settings.OpenKey(Settings, false);
    benchmark::DoNotOptimize(settings.ReadString("Path"));
    benchmark::DoNotOptimize(settings.ReadInteger("Flags") + settings.ReadInteger("Level"));
  }
  ReportSize(state, text);
}

void ReadOneValue(benchmark::State& state) {
  TempStore store;
  const std::string text = StoreText(static_cast<std::size_t>(state.range(0)));
  TempStore::WriteText(store.SettingsFile(), text);
  for (auto _ : state) {
    TRegistry registry;
    registry.OpenKey(Settings, false);
    benchmark::DoNotOptimize(registry.ReadInteger("Flags"));
  }
  ReportSize(state, text);
}

void WriteOneValue(benchmark::State& state) {
  TempStore store;
  const std::string text = StoreText(static_cast<std::size_t>(state.range(0)));
  TempStore::WriteText(store.SettingsFile(), text);
  TRegistry registry;
  registry.OpenKey(Settings, false);
  int32_t flags = 0;
  for (auto _ : state) registry.WriteInteger("Flags", ++flags);
  ReportSize(state, text);
}

constexpr int64_t KiB = 1024;
constexpr int64_t MiB = 1024 * KiB;

}  // namespace

BENCHMARK(ParseStoreText)
    ->Arg(4 * KiB)
    ->Arg(64 * KiB)
    ->Arg(MiB)
    ->Arg(4 * MiB)
    ->Arg(15 * MiB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FormatStoreText)->Arg(4 * KiB)->Arg(64 * KiB)->Arg(MiB)->Arg(4 * MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(GameStart)->Arg(4 * KiB)->Arg(64 * KiB)->Arg(MiB)->Arg(4 * MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadOneValue)->Arg(4 * KiB)->Arg(64 * KiB)->Arg(MiB)->Arg(4 * MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteOneValue)->Arg(4 * KiB)->Arg(64 * KiB)->Arg(MiB)->Arg(4 * MiB)->Unit(benchmark::kMillisecond);
