// The main window: the current game's fields, the key latch, the screen timers and the
// embedded game-state record. Game operations are members defined in the file of their topic
// (core/GameClock.cpp, core/DemoPlayer.cpp, ui/PlayControls.cpp, ...).
#pragma once
#include <cstdint>

#include "core/Area.h"
#include "core/Random.h"
#include "platform/MainQueue.h"
#include "platform/PeriodicClock.h"
#include "platform/WindowTimer.h"

class TFormWindow {
 public:
  TFormWindow();
  ~TFormWindow();
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  // --- Game clock (core/GameClock.cpp) ---
  void StartGame(uint16_t period, bool isPlayer);
  void BeginPlay();
  void StartDemo();
  void StopClock();
  void GameTick();
  void FillAreaRows(uint16_t level);
  void PushAreaRow(uint16_t level, int16_t row);
  uint16_t AdvanceLevelCounter();
  // The moving bubble comes to rest where it is: Landed* = Bubble*, then ResolveBubble.
  void ComeToRest();
  // Starts the periodic clock; its ticks reach GameTick on the main thread while TimerId matches.
  void StartClock(uint16_t period);
  void OnClockTick(uint32_t id);

  // --- Demo player (core/DemoPlayer.cpp) ---
  void ChooseDemoColumn();
  void EvaluateColumn();
  void DemoSidewaysMove();

  // --- Keys (ui/KeyDispatch.cpp, ui/PlayControls.cpp) ---
  void FormKeyDown(uint16_t key);
  void FormKeyUp(uint16_t key);
  void PlayLeft();
  void PlayRight();
  void PlayUp();
  void PlayEscape();
  // Key handling of the menu screens (3..7), name entry (11) and the high-score screen (12).
  void MenuKeyDown(uint16_t key);
  void NameEntryKeyDown(uint16_t key);
  void HighScoresKeyDown(uint16_t key);

  // --- Screen timers ---
  void TimerGameOverTimer();

  // --- Drawing and sound entry points ---
  void ComposeScreen();
  void PlayAudio(int index);

  TSettings Settings;

  // Current game.
  uint16_t AreaWidth = 0;
  uint16_t AreaHeight = 0;
  uint16_t SpawnColumn = 0;
  bool SpawnAlternates = false;
  uint16_t SpawnShift = 0;
  int16_t AdvancedGame = 0;
  int16_t BubbleColumn = -1, BubbleRow = -1;
  bool BubbleInFlight = false;
  int16_t LandedColumn = -1, LandedRow = -1;
  uint32_t TimerId = 0;
  uint16_t ClockPeriod = 0;  // period of the running clock in ms (kept by StartClock)

  // Demo player.
  int16_t DemoTargetColumn = -1;
  int16_t DemoColumn = -1;
  int16_t DemoRow = -1;
  int32_t DemoValue = 0;
  int32_t DemoBestValue = 0;
  bool DemoLineFound = false;

  // Key press latch: one action per press, re-armed by any key-up.
  uint8_t KeyHeld = 0;

  uint8_t SoundAvailable = 0;
  uint8_t MusicAvailable = 0;

  // Randomness, replaceable so that a game can be replayed exactly.
  TRandom Random;
  TTickCount TickCount;

  // Main-thread services: posted work, the game clock and the window timers.
  platform::MainQueue Queue;
  platform::TimerHost Timers;
  platform::WindowTimer TimerGameOver;
  platform::PeriodicClock Clock;  // last: its thread stops before the rest goes
};
