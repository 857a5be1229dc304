#include "shell/Window.h"

void TFormWindow::StopClock() {
  if (TimerId != 0) {
    Clock.KillEvent(TimerId);
    TimerId = 0;
  }
}
