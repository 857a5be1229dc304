// Watching a recorded game: played back in the window on the play screen at its recorded pace,
// with its sounds and the music. Right makes it faster (up to 8×), Left slower (down to ½×),
// Escape ends it; a pause of the game is shown for a second at most. At the end the final
// board stays until a key is pressed, and the window closes. Nothing is stored.
#pragma once
#include <cstdint>
#include <vector>

#include "core/Game.h"
#include "core/Replay.h"
#include "shell/Window.h"

class TReplayViewer final : public IGameHost {
 public:
  // The longest a pause of the game is shown, at 1×.
  static constexpr uint32_t PauseShownMs = 1000;

  // Takes over the window's events; the window is set up (InitDirectX) and not yet shown.
  // `now` is the clock of the window's timers, in milliseconds (the monotonic clock when empty).
  TReplayViewer(TFormWindow& window, const TReplay& replay, platform::TimerHost::ClockFn now = {});
  TReplayViewer(const TReplayViewer&) = delete;
  TReplayViewer& operator=(const TReplayViewer&) = delete;

  // The recorded ticks are the game's clock, and the final board stays: no timer of its own.
  void StartClock(uint16_t) override {}
  void StopClock() override {}
  void EnableGameOverTimer() override {}
  void PlayAudio(int index) override { Window.PlayAudio(index); }
  void ComposeScreen() override { Window.ComposeGame(Game); }

  // The pace as a multiple of the recorded one, in halves: 1 is ½×, 2 is 1×, 16 is 8×.
  uint32_t SpeedInHalves() const { return Halves; }
  bool Ended() const { return Finished; }
  // The inputs played back so far.
  std::size_t Played() const { return Player.Played(); }

  TSettings Settings;
  TGame Game;

 private:
  void Shown();
  void KeyDown(uint16_t key);
  // Plays every input that is due, then waits for the next one, or ends.
  void PlayDue();
  void ChangeSpeed(bool faster);
  // Milliseconds of the recorded game (pauses shortened) that have been shown by now.
  uint64_t ShownMs() const;

  TFormWindow& Window;
  platform::TimerHost::ClockFn Now;
  TReplayPlayer Player;
  // When each input comes in the game as shown, pauses shortened to PauseShownMs.
  std::vector<uint64_t> ShownTimes;
  platform::WindowTimer Timer;
  bool Started = false;
  bool Finished = false;
  uint8_t KeyHeld = 0;
  uint32_t Halves = 2;
  // The pace counts from the last change of speed: the real time then, and the game's.
  uint64_t AnchorNowMs = 0;
  uint64_t AnchorShownMs = 0;
};
