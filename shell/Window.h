// The game's window: a thin owner of the settings record and its store, the game, the
// platform window with its clock and timers, the key latch and the surface set. It wires
// the window's events to the game and to the key handling of each screen, and serves the
// game as its host.
#pragma once
#include <cstdint>
#include <memory>

#include "core/Area.h"
#include "core/Game.h"
#include "platform/Form.h"
#include "platform/MainQueue.h"
#include "platform/WindowTimer.h"
#include "render/ComposeScreen.h"
#include "render/SurfaceSet.h"
#include "shell/ClockTimer.h"
#include "ui/SettingsStore.h"

class TFormWindow final : public IGameHost, public IComposeHost {
 public:
  // Creates the window hidden and reads the settings from the per-user store (throws
  // ERegistryException when the store cannot be read).
  TFormWindow();
  ~TFormWindow() override;
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  // --- Window events ---
  void FormKeyDown(uint16_t key);
  void FormKeyUp(uint16_t key);
  void FormPaint();
  void TimerGameOverTimer();

  // --- The game's host ---
  void StartClock(uint16_t periodMs) override;
  void StopClock() override;
  void EnableGameOverTimer() override;
  void PlayAudio(int index) override;
  void ComposeScreen() override;

  // --- What the title and exit screens ask of the window ---
  void SetWaitCursor() override;
  void EnableTimerTitle() override;
  void EnableTimerExit() override;

  platform::MainQueue Queue;
  platform::TimerHost Timers;
  platform::Form Form;

  TSettings Settings;
  TSettingsStore Store;
  TGame Game;

  // Key press latch: one action per press, re-armed by any key-up.
  uint8_t KeyHeld = 0;
  uint8_t SoundAvailable = 0;
  uint8_t MusicAvailable = 0;

  std::unique_ptr<TSurfaceSet> Surfaces;

  platform::WindowTimer TimerGameOver;
  TClockTimer Clock;  // last: its thread stops before the rest goes
};
