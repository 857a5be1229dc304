// The current game, a player's or the demo's: the moving bubble, the entry column, the landed
// cell, the demo player's choices and the randomness, with every operation of the game. It
// works on the board and counters of the settings record it is given, and asks everything
// else (clock, sound, redraw) of its host. A player's game is recorded as it is played, and
// its replay handed to the host when the game ends or is abandoned.
#pragma once
#include <cstdint>

#include "core/Area.h"
#include "core/GameHost.h"
#include "core/Random.h"
#include "core/ReplayRecorder.h"

class TGame {
 public:
  TGame(TSettings& settings, IGameHost& host);
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // --- Game clock (core/GameClock.cpp) ---
  // Resets the board for a game of the area's size, brought into range here once, lets the
  // first bubble enter and starts the clock.
  void StartGame(uint16_t period, bool isPlayer);
  // Starts a player's game at the start level on an area of the size the caller has set. A
  // game still recorded is abandoned (Restart Game).
  void BeginPlay();
  // Starts a demo game of random size behind the menus. A player's game still recorded is
  // abandoned (Exit from the in-game menu, or the title after a display change).
  void StartDemo();
  void StopClock();
  // A tick of the clock: AdvanceGame, then the screen composed.
  void GameTick();
  // The steps of a tick without the composition, for a game's start and a play action, whose
  // key press composes the screen once when it is done: the demo's sideways step, the rows
  // the last landing completed, the bubble's rise or rest, the next bubble's entry (or the end
  // of the game) and the level's advance.
  void AdvanceGame();
  void FillAreaRows(uint16_t level);
  void PushAreaRow(uint16_t level, int16_t row);
  uint16_t AdvanceLevelCounter();
  // The moving bubble comes to rest where it is: Landed* = Bubble*, then ResolveBubble.
  void ComeToRest();
  // Removes and scores the rows the last resting bubble completed, then forgets the landing.
  void RemoveLandedRows(uint16_t level);

  // --- Demo player (core/DemoPlayer.cpp) ---
  void ChooseDemoColumn();
  void EvaluateColumn();
  void DemoSidewaysMove();

  // --- The player's moves (core/PlayMoves.cpp) ---
  void PlayLeft();
  void PlayRight();
  void PlayUp();
  void PlayEscape();
  // The window lost the focus during play: the game pauses as on Escape, without a sound.
  void FocusLost();
  // Resume Game in the in-game menu: the game goes on, its clock at the pace of its level.
  void ResumeGame();

  // --- Recording (core/ReplayRecorder.cpp) ---
  // The game being recorded is abandoned here (the window closes): its replay goes to the host.
  void EndRecording();

  TSettings& Settings;
  IGameHost& Host;

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

  // Demo player.
  int16_t DemoTargetColumn = -1;
  int16_t DemoColumn = -1;
  int16_t DemoRow = -1;
  int32_t DemoValue = 0;
  int32_t DemoBestValue = 0;
  bool DemoLineFound = false;

  // Randomness, replaceable so that a game can be replayed exactly.
  TRandom Random;
  TTickCount TickCount;

  TReplayRecorder Recorder;

 private:
  // The bubble in a cell of the area, or null for an empty cell or one outside it.
  TBubble* BubbleAt(int column, int row);
  // The bubble at (BubbleColumn, BubbleRow), or null when there is none to act on.
  TBubble* MovingBubble() { return BubbleAt(BubbleColumn, BubbleRow); }
  bool RiseOrRest(bool player);
  bool EnterOrEndGame(bool player, uint16_t level);
  void AdvanceLevel();
  void MoveSideways(int step);
  void RiseAtOnce();
  // The in-game menu with Resume Game selected.
  void Pause();
  // The generator seeded from the tick count, the seed recorded.
  void Reseed();
  // Each input of a player's game is recorded around the game's handling of it; a game that
  // the input ended hands its replay to the host.
  void InputBegins(TReplayInput input);
  void InputDone();
};
