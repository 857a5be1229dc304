// The program from entry to exit on a headless display and a private store: the display
// check, the bring-up, an error escaping start-up, and the exit code.
#include "shell/Program.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "shell/Window.h"
#include "support/TempStore.h"

namespace {

struct Shown {
  std::string Caption, Text;
  platform::MessageIcon Icon;
};

// Runs the program with a display of the given depth; `run` stands in for the event loop.
int RunWith(int depth, std::vector<Shown>& boxes, std::function<void(TFormWindow&)> run) {
  TProgramHooks hooks;
  hooks.DisplayDepth = [depth](TFormWindow&) { return depth; };
  hooks.MessageBox = [&](const std::string& caption, const std::string& text, platform::MessageIcon icon) {
    boxes.push_back({caption, text, icon});
  };
  hooks.Run = std::move(run);
  return RunProgram(hooks);
}

TEST(Program, NeedsATrueColourDisplay) {
  TempStore store;
  for (const int depth : {8, 15, 16, 23, 24, 32}) {
    std::vector<Shown> boxes;
    bool ran = false;
    const int code = RunWith(depth, boxes, [&](TFormWindow& window) {
      ran = true;
      EXPECT_EQ(window.Settings.Screen, ScreenTitle);
      EXPECT_NE(window.Surfaces, nullptr);
      EXPECT_FALSE(SDL_GetWindowFlags(SDL_GetWindowFromID(window.Form.WindowId())) & SDL_WINDOW_SHOWN)
          << "the loop shows the window";
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ran, depth >= 24) << depth;
    if (depth < 24) {
      ASSERT_EQ(boxes.size(), 1u) << depth;
      EXPECT_EQ(boxes[0].Caption, "Warning!");
      EXPECT_EQ(boxes[0].Text, "Game must run in a true color mode.");
    } else {
      EXPECT_TRUE(boxes.empty()) << depth;
    }
  }
}

// A damaged store stops the start: the message, captioned with the game's title, reads as a
// sentence, and the program still ends with 0.
TEST(Program, AnErrorEscapingStartUpIsShownWithTheTitle) {
  TempStore store;
  TempStore::WriteText(store.SettingsFile(), "Windows Registry Editor Version 5.00\n\nnot a line of a store\n");
  std::vector<Shown> boxes;
  bool ran = false;
  EXPECT_EQ(RunWith(32, boxes, [&](TFormWindow&) { ran = true; }), 0);
  EXPECT_FALSE(ran);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Huebloc");
  EXPECT_EQ(boxes[0].Icon, platform::MessageIcon::Stop);
  EXPECT_NE(boxes[0].Text.find(store.SettingsFile().string()), std::string::npos) << boxes[0].Text;
  EXPECT_EQ(boxes[0].Text.back(), '.');
}

// Without a sound device the game starts and plays silently, without a word.
TEST(Program, NoSoundDeviceMeansSilence) {
  TempStore store;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::vector<Shown> boxes;
  bool ran = false;
  RunWith(24, boxes, [&](TFormWindow& window) {
    ran = true;
    EXPECT_FALSE(window.SoundAvailable());
    EXPECT_FALSE(window.MusicAvailable());
    window.FormShow();  // asks for the music
    window.PlayAudio(SoundMenuIn);
  });
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_TRUE(ran);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
