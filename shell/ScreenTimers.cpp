#include "shell/Window.h"

// The game-over pause has ended: clear the board, then name entry if the score qualifies
// (strictly above the fifth best), otherwise the high-score table.
void TFormWindow::TimerGameOverTimer() {
  TimerGameOver.SetEnabled(false);
  Settings.ClearBoard();
  if (Settings.Score > Settings.HighScores[4]) {
    Settings.HighScoreNames[5].clear();
    Settings.Screen = ScreenCongratulations;
  } else {
    Settings.Screen = ScreenHighScores;
  }
  ComposeScreen();
}
