#include "shell/Window.h"

TFormWindow::TFormWindow()
    : TickCount(SystemTickCount()),
      TimerGameOver(Timers, 1000, [this] { TimerGameOverTimer(); }),
      Clock(Queue) {}

TFormWindow::~TFormWindow() { StopClock(); }
