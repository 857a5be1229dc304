#include "shell/ReplayViewer.h"

#include <algorithm>
#include <chrono>

#include "platform/MessageBox.h"
#include "ui/KeyContext.h"

namespace {

constexpr uint32_t SlowestHalves = 1, FastestHalves = 16;

platform::TimerHost::ClockFn OrMonotonic(platform::TimerHost::ClockFn now) {
  if (now) return now;
  return [] {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  };
}

}  // namespace

TReplayViewer::TReplayViewer(TFormWindow& window, const TReplay& replay, platform::TimerHost::ClockFn now)
    : Game(Settings, *this),
      Window(window),
      Now(OrMonotonic(std::move(now))),
      Player(replay, Game),
      Timer(window.Timers, 1, [this] { PlayDue(); }) {
  uint64_t shown = 0;
  uint32_t previous = 0;
  for (const TReplayStep& step : replay.Steps) {
    const uint32_t gap = step.TimeMs - previous;
    shown += step.Input == TReplayInput::Resume ? std::min(gap, PauseShownMs) : gap;
    ShownTimes.push_back(shown);
    previous = step.TimeMs;
  }

  // The window's own game stays off, and its own handlers do the rest: the caption, the sound
  // silent while the window is away (the replay goes on), the close.
  window.Settings.Screen = ScreenNone;
  platform::Form& form = window.Form;
  form.OnShow = [this] {
    Window.FormShow();
    Shown();
  };
  form.OnKeyDown = [this](uint16_t key) { KeyDown(key); };
  form.OnKeyUp = [this](uint16_t) { KeyHeld = 0; };
  form.OnPaint = [this] { Window.FormPaint(); };
  form.OnDisplayChange = [this](int bitsPerPixel) {
    if (bitsPerPixel < 24) {
      Window.Form.Hide();
      platform::ShowMessageBox(WarningCaption, NotTrueColour);
      Window.Form.Close();
    } else {
      ComposeScreen();
    }
  };
}

// Shown for the first time the replay starts; each time the window comes back it is drawn
// again and the music goes on, as in the game.
void TReplayViewer::Shown() {
  ComposeScreen();
  PlayAudio(SoundMusic);
  if (Started) return;
  Started = true;
  AnchorNowMs = Now();
  PlayDue();
}

uint64_t TReplayViewer::ShownMs() const { return AnchorShownMs + (Now() - AnchorNowMs) * Halves / 2; }

void TReplayViewer::PlayDue() {
  const uint64_t shown = ShownMs();
  while (!Player.Done() && ShownTimes[Player.Played()] <= shown) {
    const TReplayInput input = Player.NextStep().Input;
    Player.Step();
    if (input != TReplayInput::Tick) ComposeScreen();  // a tick composes itself
  }
  if (!Player.Done()) {
    const uint64_t wait = ((ShownTimes[Player.Played()] - shown) * 2 + Halves - 1) / Halves;
    Timer.Restart(static_cast<uint32_t>(std::clamp<uint64_t>(wait, 1, UINT32_MAX)));
    return;
  }
  Timer.SetEnabled(false);
  Finished = true;
  // A game left during a pause ends on its board, not on the menu it was left from.
  if (Settings.Screen == ScreenGameMenu) Settings.Screen = ScreenPlaying;
  ComposeScreen();
}

void TReplayViewer::ChangeSpeed(bool faster) {
  const uint32_t halves = faster ? std::min(Halves * 2, FastestHalves) : std::max(Halves / 2, SlowestHalves);
  if (halves == Halves) return;
  AnchorShownMs = ShownMs();
  AnchorNowMs = Now();
  Halves = halves;
  if (Started && !Finished) PlayDue();
}

// One action per key press, as in the game.
void TReplayViewer::KeyDown(uint16_t key) {
  if (KeyHeld == 1) return;
  KeyHeld = 1;
  if (Finished || key == VkEscape) {
    Window.Form.Close();
  } else if (key == VkRight || key == VkLeft) {
    ChangeSpeed(key == VkRight);
  }
}
