// Replays on the command line, headless: watched in the window at the recorded pace, faster
// and slower, pauses shortened, the final board kept until a key; checked without a window,
// saying whether the game plays back as recorded; and every file that holds no replay refused
// in one line that names it, before any window opens. Neither writes to the store.
#include "shell/ReplayViewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/ReplayFormat.h"
#include "shell/ReplayCommands.h"
#include "support/TempStore.h"
#include "ui/DefaultSettings.h"
#include "ui/KeyContext.h"

namespace fs = std::filesystem;

namespace {

const std::string Golden = std::string(HUEBLOC_GOLDEN_REPLAYS) + "/standard-5x7-double-row.hbr";

TReplay GoldenReplay() { return DecodeReplay(TempStore::ReadText(Golden)); }

// The files of the store as they are, to show that nothing wrote to it.
std::map<std::string, std::string> StoreFiles(const TempStore& store) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(store.Root))
    if (entry.is_regular_file()) files[entry.path().string()] = TempStore::ReadText(entry.path());
  return files;
}

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDefaultSettings("/nowhere");
    Before = StoreFiles(Store);
    Window = std::make_unique<TFormWindow>([this] { return NowMs; }, TStoreUse::ReadOnly);
    ASSERT_TRUE(Window->InitDirectX());
    View = std::make_unique<TReplayViewer>(*Window, Replay, [this] { return NowMs; });
  }

  // The time goes on by ms, the window's timers firing as they are due.
  void After(uint64_t ms) {
    for (const uint64_t until = NowMs + ms; NowMs < until;) {
      NowMs = std::min(until, NowMs + 10);
      Window->Timers.FireDue();
    }
  }
  void Press(uint16_t key) {
    Window->Form.OnKeyDown(key);
    Window->Form.OnKeyUp(key);
  }
  // When each input comes in the game as it is shown, pauses shortened to a second.
  std::vector<uint64_t> ShownTimes() const {
    std::vector<uint64_t> times;
    uint64_t shown = 0;
    uint32_t previous = 0;
    for (const TReplayStep& step : Replay.Steps) {
      const uint32_t gap = step.TimeMs - previous;
      shown += step.Input == TReplayInput::Resume ? std::min(gap, 1000u) : gap;
      times.push_back(shown);
      previous = step.TimeMs;
    }
    return times;
  }
  std::size_t DueBy(uint64_t shownMs) const {
    const std::vector<uint64_t> times = ShownTimes();
    return static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), shownMs) - times.begin());
  }

  TempStore Store;
  std::map<std::string, std::string> Before;
  const TReplay Replay = GoldenReplay();
  uint64_t NowMs = 5000;
  std::unique_ptr<TFormWindow> Window;
  std::unique_ptr<TReplayViewer> View;
};

TEST_F(Viewer, PlaysAtTheRecordedPaceFasterOrSlowerAndKeepsTheFinalBoardUntilAKey) {
  Window->Form.OnShow();
  EXPECT_EQ(View->Settings.Screen, ScreenPlaying);
  EXPECT_EQ(View->Game.AreaWidth, 5);
  After(10'000);
  EXPECT_EQ(View->Played(), DueBy(10'000));
  Press(VkRight);
  Press(VkRight);  // 4x
  EXPECT_EQ(View->SpeedInHalves(), 8u);
  After(5'000);
  EXPECT_EQ(View->Played(), DueBy(30'000));
  Press(VkLeft);
  Press(VkLeft);
  Press(VkLeft);
  Press(VkLeft);  // not slower than half the pace
  EXPECT_EQ(View->SpeedInHalves(), 1u);
  After(4'000);
  EXPECT_EQ(View->Played(), DueBy(32'000));
  Press(VkRight);  // 1x again

  // The whole game, its pauses a second at most; then its last board with the game over sign.
  const uint64_t last = ShownTimes().back();
  ASSERT_LT(last + 2000, Replay.Steps.back().TimeMs) << "the game has pauses to shorten";
  After(last - 32'000 - 10);
  EXPECT_FALSE(View->Ended());
  After(10);
  ASSERT_TRUE(View->Ended());
  EXPECT_EQ(View->Played(), Replay.Steps.size());
  EXPECT_EQ(View->Settings.Screen, ScreenGameOver);
  EXPECT_EQ(EndOf(View->Game, Replay.End.Bubbles), Replay.End);
  After(60'000);
  EXPECT_FALSE(Window->Form.Closed()) << "the final board stays";
  Press('A');
  EXPECT_TRUE(Window->Form.Closed());
  EXPECT_EQ(StoreFiles(Store), Before) << "the viewer writes nothing";
}

TEST_F(Viewer, EscapeEndsItAtOnce) {
  Window->Form.OnShow();
  After(3'000);
  EXPECT_GT(View->Played(), 0u);
  Press(VkEscape);
  EXPECT_TRUE(Window->Form.Closed());
  EXPECT_FALSE(View->Ended());
}

// What --replay FILE --check prints and returns, and every file that holds no replay.
TEST(ReplayCommands, CheckSaysWhetherTheGamePlaysBackAsRecorded) {
  TempStore store;
  const TReplay golden = GoldenReplay();
  const auto written = [&](const std::string& name, const std::string& bytes) {
    const fs::path path = store.Root / name;
    TempStore::WriteText(path, bytes);
    return path.string();
  };
  const auto changed = [&](const std::function<void(TReplay&)>& change) {
    TReplay replay = golden;
    change(replay);
    return EncodeReplay(replay);
  };
  const std::string end = "score " + std::to_string(golden.End.Score) + ", level " +
                          std::to_string(golden.End.Level) + ", " + std::to_string(golden.End.Bubbles) + " bubbles";
  struct Case {
    const char* What;
    std::string File;
    int Code;
    std::string Out, Err;
  };
  const std::string missing = (store.Root / "missing.hbr").string();
  const std::string folder = store.Root.string();
  const std::string newer = [&] {
    std::string bytes = EncodeReplay(golden);
    bytes[8] = 2;
    return written("newer.hbr", bytes);
  }();
  const std::string large = written("large.hbr", "");
  fs::resize_file(large, MaxReplayBytes + 1);
  const Case cases[] = {
      {"the game as recorded", Golden, 0,
       "Replayed: " + end + " (game over)\nRecorded: " + end +
           " (game over)\nMatch: the game plays back as it was recorded.\n",
       ""},
      {"another end", written("end.hbr", changed([](TReplay& r) { r.End.Score += 10; })), 1,
       "Replayed: " + end + " (game over)\nRecorded: score " + std::to_string(golden.End.Score + 10) + ", level " +
           std::to_string(golden.End.Level) + ", " + std::to_string(golden.End.Bubbles) +
           " bubbles (game over)\nMismatch: the game ends otherwise than recorded.\n",
       ""},
      {"a state left", written("state.hbr", changed([](TReplay& r) { r.Steps[20].Digest ^= 1; })), 1, "", ""},
      {"no file", missing, 2, "", "huebloc: " + missing + ": no such file\n"},
      {"a folder", folder, 2, "", "huebloc: " + folder + ": it is a directory, not a regular file\n"},
      {"too large", large, 2, "",
       "huebloc: " + large + ": it is 4194305 bytes long; a replay file may hold at most 4194304 bytes (4 MiB)\n"},
      {"not a replay", written("text.hbr", "Huebloc\n"), 2, "",
       "huebloc: " + (store.Root / "text.hbr").string() + ": not a Huebloc replay: it does not begin as one\n"},
      {"cut short", written("cut.hbr", EncodeReplay(golden).substr(0, EncodeReplay(golden).size() - 100)), 2, "",
       "huebloc: " + (store.Root / "cut.hbr").string() + ": truncated: it ends within its inputs\n"},
      {"a newer format", newer, 2, "",
       "huebloc: " + newer +
           ": made by a newer version of Huebloc: its format is version 2, and this version reads version 1\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(CheckReplayFile(c.File, out, err), c.Code) << c.What;
    EXPECT_EQ(err.str(), c.Err) << c.What;
    if (c.Code == 1 && c.Out.empty()) {
      EXPECT_NE(out.str().find("Mismatch: the game first differs from the recording after input 21 of "),
                std::string::npos)
          << out.str();
    } else {
      EXPECT_EQ(out.str(), c.Out) << c.What;
    }
    // Watching a file that holds no replay says the same, and opens no window.
    if (c.Code != 2) continue;
    std::ostringstream watchErr;
    TProgramHooks hooks;
    bool opened = false;
    hooks.Run = [&](TFormWindow&) { opened = true; };
    EXPECT_EQ(WatchReplay(c.File, watchErr, hooks), 2) << c.What;
    EXPECT_EQ(watchErr.str(), c.Err) << c.What;
    EXPECT_FALSE(opened) << c.What;
  }
}

TEST(ReplayCommands, WatchingOpensTheWindowWithoutWritingAndEndsWithZero) {
  TempStore store;
  WriteDefaultSettings("/nowhere");
  const auto before = StoreFiles(store);
  TProgramHooks hooks;
  hooks.DisplayDepth = [](TFormWindow&) { return 32; };
  bool shown = false;
  hooks.Run = [&](TFormWindow& window) {
    window.Form.OnShow();
    shown = window.Settings.Writer == nullptr;
    window.Form.OnKeyDown(VkEscape);
  };
  std::ostringstream err;
  EXPECT_EQ(WatchReplay(Golden, err, hooks), 0);
  EXPECT_TRUE(shown) << "the window's settings write to no store";
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(StoreFiles(store), before);
}

}  // namespace
