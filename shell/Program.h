// The program from entry to exit: the window and settings, the display check, the bring-up
// of pictures and sound, the event loop, and the release of everything.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/MessageBox.h"
#include "platform/WindowTimer.h"
#include "shell/CommandLine.h"

class TFormWindow;
enum class TStoreUse : uint8_t;

// What the program asks of the machine; tests replace some of it.
struct TProgramHooks {
  // The display's colour depth in bits per pixel (the window's display when empty).
  std::function<int(TFormWindow&)> DisplayDepth;
  // A message box (the platform's when empty).
  std::function<void(const std::string& caption, const std::string& text, platform::MessageIcon icon)> MessageBox;
  // Runs the window until it closes (its event loop when empty).
  std::function<void(TFormWindow&)> Run;
  // The screen timers' clock (the monotonic clock when empty).
  platform::TimerHost::ClockFn Now;
};

// Runs the window until it closes: hooks.Run, or the window's event loop.
void RunUntilClosed(const TProgramHooks& hooks, TFormWindow& window);

// Runs the game with the command line's options; returns the program's exit code, 0 in every case.
int RunProgram(const TProgramHooks& hooks = {}, const TRunOptions& options = {});

// The window made, the display checked, the pictures and sound set up, then run() (the game's
// event loop, say); a failure on the way is told in a message box. Returns 0 in every case.
int RunInWindow(const TProgramHooks& hooks, TStoreUse storeUse, const TRunOptions& options,
                const std::function<void(TFormWindow&)>& run);
