#include "shell/Window.h"

#include "render/ComposeScreen.h"
#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

TFormWindow::TFormWindow()
    : Form(Queue, Timers),
      Game(Settings, *this),
      BackBuffer(platform::Form::ClientWidth, platform::Form::ClientHeight),
      Presenter(Form.WindowId()),
      TimerGameOver(Timers, 1000, [this] { TimerGameOverTimer(); }),
      Clock(Queue, [this] { Game.GameTick(); }) {
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
  ::ComposeScreen(TScreenView{Game, SoundAvailable != 0, MusicAvailable != 0}, BackBuffer);
  FormPaint();
}

// Shows the last composed picture; composing happens only in ComposeScreen.
void TFormWindow::FormPaint() {
  if (Presenter.Present(BackBuffer) == platform::DDERR_SURFACELOST) {
    if (Presenter.IsLost() != platform::DD_OK) Presenter.Restore();
    if (BackBuffer.IsLost() != platform::DD_OK) BackBuffer.Restore();
    Presenter.Present(BackBuffer);
  }
}
