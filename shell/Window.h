// The game's window: a thin owner of the settings record and its store, the game, the
// platform window with its clock and screen timers, the key latch, the pictures and the sound.
// It wires the window's events to the game and to the key handling of each screen, and serves
// the game and the composition as their host.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/PlayAudio.h"
#include "core/Area.h"
#include "core/Game.h"
#include "platform/DisplayMode.h"
#include "platform/Form.h"
#include "platform/WindowTimer.h"
#include "render/ComposeScreen.h"
#include "render/SurfaceSet.h"
#include "shell/CommandLine.h"
#include "ui/HighScores.h"
#include "ui/SettingsStore.h"

// The program's fixed texts.
inline const std::string ApplicationTitle = "Huebloc";
inline const std::string WarningCaption = "Warning!";
inline const std::string NotTrueColour = "Game must run in a true color mode.";
inline const std::string NoGraphics = "Game require DirectX 6.0 or above.";

// An error's text as a message box shows it: a full stop is added when the last character
// sorts after '.', so "No space" gains one and "Done." or "Stop!" do not.
std::string AsSentence(std::string text);

static_assert(TSurfaceSet::ClientWidth == platform::Form::ClientWidth &&
              TSurfaceSet::ClientHeight == platform::Form::ClientHeight);

// How the window uses the per-user store: a window that shows a replay reads the settings
// (volumes, the music's place) and writes nothing, not even a high-score table never stored.
enum class TStoreUse : uint8_t { ReadWrite, ReadOnly };

class TFormWindow final : public IGameHost, public IComposeHost {
 public:
  // Creates the window hidden and reads the settings and, to play, the high-score table from
  // the per-user store (throws ERegistryException when the store cannot be read). `now` is the
  // screen timers' clock in milliseconds (the monotonic clock when empty); `options` are the
  // command line's choices for this run.
  explicit TFormWindow(platform::TimerHost::ClockFn now = {}, TStoreUse storeUse = TStoreUse::ReadWrite,
                       TRunOptions options = {});
  // Releases everything in the order it was made up: board, store, pictures, sound.
  ~TFormWindow() override;
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  // Brings up the pictures and the sound and puts the game on its title screen. False when
  // the pictures cannot be set up; the sound may still be off (no device: silently).
  bool InitDirectX();

  // --- Window events ---
  void FormShow();
  void ApplicationEventsDeactivate();
  void FormClose();
  void FormKeyDown(uint16_t key);
  void FormKeyUp(uint16_t key);
  void FormPaint();
  void WMDisplayChange(int bitsPerPixel);
  void TimerTitleTimer();
  void TimerGameOverTimer();
  void TimerExitTimer();
  // F11 and Alt+Enter; the window's size changed (not in full screen).
  void FormHotkey(platform::Hotkey hotkey);
  void FormResize();

  // --- The game's host ---
  void StartClock(uint16_t periodMs) override;
  void StopClock() override;
  void EnableGameOverTimer() override;
  void PlayAudio(int index) override;
  void ComposeScreen() override;
  // Keeps the replay of a game played here with the replays of the player's games.
  void KeepReplay(const TReplay& replay) override;

  // Composes the screen of a game, this window's own or one played back.
  void ComposeGame(const TGame& game);

  // --- The composition's host ---
  void SetWaitCursor() override;
  void EnableTimerTitle() override;
  void EnableTimerExit() override;

  bool SoundAvailable() const { return Audio != nullptr && Audio->SoundAvailable != 0; }
  bool MusicAvailable() const { return Audio != nullptr && Audio->MusicAvailable != 0; }

  const TRunOptions Options;
  platform::TimerHost Timers;
  platform::Form Form;

  TSettings Settings;
  std::unique_ptr<TSettingsStore> Store;
  THighScoreRegistry Scores;
  TGame Game;

  // Key press latch: one action per press, re-armed by any key-up.
  uint8_t KeyHeld = 0;

  // The window's scale when not in full screen, and the scale the player asked for: by the
  // command line, or as last stored; empty: the largest the display has room for.
  int WindowScale = 1;
  std::optional<int> WantedScale;

  // Whether the board's bubbles and tiles carry the marks of their colours (F3), and the game
  // whose screen was composed last, composed again when the marks change.
  bool ColourMarks = false;
  const TGame* Composed = nullptr;

  // Made by InitDirectX; null before, and after a start-up that stopped halfway.
  std::unique_ptr<platform::DisplayModeCheck> DirectDraw;
  std::unique_ptr<TSurfaceSet> Surfaces;
  std::unique_ptr<TAudio> Audio;

  // The game clock, a timer of the main loop whose ticks run GameTick; `TimerId` is its
  // current run, 0 while it is stopped.
  platform::WindowTimer Clock;
  uint32_t TimerId = 0;
  platform::WindowTimer TimerTitle;
  platform::WindowTimer TimerGameOver;
  platform::WindowTimer TimerExit;

 private:
  bool InitGraphics();
  void ReleaseGraphics();
  // Opens the window at its scale, in full screen or not, and chooses the colour marks, as the
  // command line or the store says.
  void PlaceWindow();
  // The window sized again for its display after a display change.
  void FitToDisplay();
  // Stores a display choice the player just made.
  void WriteDisplay(const std::string& name, int32_t value);
  // Shows a failed store write once as a message; later ones go to the standard error.
  void ReportStoreFailure(const std::exception& error);
  bool StoreFailureShown = false;
  const TStoreUse StoreUse;
};
