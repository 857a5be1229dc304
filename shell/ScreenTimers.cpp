// The three one-shot screen timers: the title's delay, the pause after a lost game and the
// exit screen's delay. Each disables itself first.
#include "shell/Window.h"
#include "ui/HighScores.h"

// The title has been shown for 2 s: the main menu, with a new demo game behind it.
void TFormWindow::TimerTitleTimer() {
  TimerTitle.SetEnabled(false);
  Form.SetCursor(platform::CursorShape::Arrow);
  Settings.Screen = ScreenMainMenu;
  Settings.MenuItem = ItemStartGame;
  Game.StartDemo();
  ComposeScreen();
}

// The exit screen has been shown for 2 s: the window closes and the program ends.
void TFormWindow::TimerExitTimer() {
  TimerExit.SetEnabled(false);
  Form.Close();
}

// The game-over pause has ended: clear the board, then name entry if the score enters the
// table, otherwise the table itself.
void TFormWindow::TimerGameOverTimer() {
  TimerGameOver.SetEnabled(false);
  Settings.ClearBoard();
  ShowGameResult(Settings);
  ComposeScreen();
}
