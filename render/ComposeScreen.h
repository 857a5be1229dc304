// Composition of the current screen into the back buffer: a function of the state it reads.
#pragma once
#include "core/Game.h"
#include "platform/Graphics.h"

// What composition reads: the game (with its settings record) and what the window could set up.
struct TScreenView {
  const TGame& Game;
  bool SoundAvailable = false;
  bool MusicAvailable = false;
};

// Redraws the whole back buffer for the current screen.
void ComposeScreen(const TScreenView& view, platform::Surface& backBuffer);
