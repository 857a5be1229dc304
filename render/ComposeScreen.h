// Composition of the current screen into the back buffer, and its presentation: a function
// of the state it reads and the surface set it draws into. It never changes the state; only
// the title and exit screens ask the window for the cursor and their timers.
#pragma once
#include "core/Game.h"
#include "render/SurfaceSet.h"

// What composition reads: the game (with its settings record), what the window could set up,
// and the player's display choices.
struct TScreenView {
  const TGame& Game;
  bool SoundAvailable = false;
  bool MusicAvailable = false;
  bool ColourMarks = false;  // the board's bubbles and tiles carry the marks of their colours
};

// What the title and exit screens ask of the window each time they are composed. Enabling a
// timer that already runs does not restart its interval.
class IComposeHost {
 public:
  virtual void SetWaitCursor() = 0;
  virtual void EnableTimerTitle() = 0;
  virtual void EnableTimerExit() = 0;

 protected:
  ~IComposeHost() = default;
};

// Redraws the whole back buffer for the current screen, then presents it.
void ComposeScreen(const TScreenView& view, TSurfaceSet& surfaces, IComposeHost& host);
// The high-score table over the empty full-size play area.
void DrawHighScores(TSurfaceSet& surfaces, const TSettings& settings);
// Presents the last composed back buffer again (the window was uncovered), composing nothing.
void FormPaint(TSurfaceSet& surfaces);
