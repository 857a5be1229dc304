#include "shell/Window.h"

#include <stdexcept>

#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

TFormWindow::TFormWindow()
    : Form(Queue, Timers),
      Game(Settings, *this),
      Surfaces(std::make_unique<TSurfaceSet>(Form.WindowId())),
      TimerGameOver(Timers, 1000, [this] { TimerGameOverTimer(); }),
      Clock(Queue, [this] { Game.GameTick(); }) {
  // A game without all its pictures refuses to start.
  if (!Surfaces->MissingPictures().empty())
    throw std::runtime_error("the picture " + Surfaces->MissingPictures().front() + " is missing");
  Store.Load(Settings);
  Settings.Writer = &Store;
}

TFormWindow::~TFormWindow() { StopClock(); }

// One action per key press: auto-repeats and a second key pressed while the first is held
// are ignored until some key is released. Every accepted press ends with a redraw.
void TFormWindow::FormKeyDown(uint16_t key) {
  if (KeyHeld == 1) return;
  KeyHeld = 1;
  THighScoreRegistry scores;
  ScreenKeyDown(TKeyContext{Game, scores, SoundAvailable != 0, MusicAvailable != 0}, key);
  ComposeScreen();
}

void TFormWindow::FormKeyUp(uint16_t /*key*/) { KeyHeld = 0; }

void TFormWindow::StartClock(uint16_t periodMs) { Clock.Start(periodMs); }

void TFormWindow::StopClock() { Clock.Stop(); }

void TFormWindow::EnableGameOverTimer() { TimerGameOver.SetEnabled(true); }

// Effect and music requests by index. Until the sound layer exists, requests are ignored,
// as they are when no sound device is present.
void TFormWindow::PlayAudio(int /*index*/) {}

void TFormWindow::ComposeScreen() {
  ::ComposeScreen(TScreenView{Game, SoundAvailable != 0, MusicAvailable != 0}, *Surfaces, *this);
}

// Shows the last composed picture; composing happens only in ComposeScreen.
void TFormWindow::FormPaint() { ::FormPaint(*Surfaces); }

void TFormWindow::SetWaitCursor() { Form.SetCursor(platform::CursorShape::Wait); }

// The title and exit timers come with the window's lifecycle; until then the title stays.
void TFormWindow::EnableTimerTitle() {}
void TFormWindow::EnableTimerExit() {}
