#include "shell/Window.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/MessageBox.h"
#include "shell/DataDirectories.h"
#include "shell/ReplayFiles.h"
#include "ui/ControllerKeys.h"
#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

namespace {

// The window's icon: a glossy red bubble, its key-coloured corners transparent.
void SetWindowIcon(platform::Form& form) {
  const auto piece = platform::LoadSurfaceResource("ID_RED");
  if (!piece) return;
  std::vector<uint32_t> icon;
  for (int y = 0; y < piece->Height(); ++y)
    for (const uint32_t pixel : piece->Row(y)) icon.push_back(pixel == KeyPaleYellow ? 0 : (pixel | 0xFF000000u));
  form.SetIcon(icon, piece->Width(), piece->Height());
}

}  // namespace

std::string AsSentence(std::string text) {
  if (!text.empty() && text.back() > '.') text += '.';
  return text;
}

TFormWindow::TFormWindow(platform::TimerHost::ClockFn now, TStoreUse storeUse, TRunOptions options)
    : Options(options),
      Timers(std::move(now)),
      Form(Timers),
      Game(Settings, *this),
      Clock(Timers, 0, [this] { Game.GameTick(); }),  // its period is given at each start
      TimerTitle(Timers, 2000, [this] { TimerTitleTimer(); }),
      TimerGameOver(Timers, 1000, [this] { TimerGameOverTimer(); }),
      TimerExit(Timers, 2000, [this] { TimerExitTimer(); }),
      StoreUse(storeUse) {
  SetWindowIcon(Form);
  Store = std::make_unique<TSettingsStore>();
  Store->Load(Settings);
  if (StoreUse == TStoreUse::ReadWrite) {
    Settings.Writer = Store.get();
    LoadHighScores(Settings, Scores);
  }
  PlaceWindow();

  Form.OnShow = [this] { FormShow(); };
  Form.OnDeactivate = [this] { ApplicationEventsDeactivate(); };
  Form.OnClose = [this] { FormClose(); };
  Form.OnKeyDown = [this](uint16_t key) { FormKeyDown(key); };
  Form.OnKeyUp = [this](uint16_t key) { FormKeyUp(key); };
  Form.OnPaint = [this] { FormPaint(); };
  Form.OnHotkey = [this](platform::Hotkey hotkey) { FormHotkey(hotkey); };
  Form.OnResize = [this] { FormResize(); };
  Form.OnDisplayChange = [this](int bitsPerPixel) {
    WMDisplayChange(bitsPerPixel);
    FitToDisplay();
  };
  // A controller's button is the key it stands for on the current screen; unplugging the
  // controller in use pauses a game as losing the focus does.
  Form.Pads.OnButtonDown = [this](platform::PadButton button) { FormKeyDown(ControllerKey(Settings, button)); };
  Form.Pads.OnButtonUp = [this](platform::PadButton) { FormKeyUp(0); };
  Form.Pads.OnUnplugged = [this] { ApplicationEventsDeactivate(); };
}

TFormWindow::~TFormWindow() {
  StopClock();
  Settings.ClearBoard();
  Settings.Writer = nullptr;
  Store.reset();
  ReleaseGraphics();
  Audio.reset();  // the effects in index order, then the music, then the device
}

bool TFormWindow::InitGraphics() {
  DirectDraw = std::make_unique<platform::DisplayModeCheck>(Form.WindowId());
  try {
    Surfaces = std::make_unique<TSurfaceSet>(Form.WindowId());
  } catch (const std::runtime_error&) {
    return false;  // nothing to present into
  }
  // Every picture is part of the program: one that cannot be loaded is a broken installation.
  return Surfaces->MissingPictures().empty();
}

void TFormWindow::ReleaseGraphics() {
  Surfaces.reset();  // every picture in the order of the set, then the back buffer and the window's
  DirectDraw.reset();
}

bool TFormWindow::InitDirectX() {
  if (!InitGraphics()) return false;
  Settings.Screen = ScreenTitle;
  // A rebuild after a display change keeps the sound device and the music as they are (the
  // music plays on) and makes only the effects again; the first bring-up makes all three.
  if (Audio == nullptr) {
    Audio = std::make_unique<TAudio>(Settings.Path, DataDirectoriesBesideProgram());
  } else {
    Audio->RemakeEffects();
  }
  return true;
}

void TFormWindow::FormShow() {
  if (Audio != nullptr) Audio->SetAudible(true);
  Form.SetCaption(ApplicationTitle);
  if (Settings.Screen != ScreenNone) {
    ComposeScreen();
    PlayAudio(SoundMusic);
  }
  // Looked for once the first picture is out, which it does not hold up.
  Form.Pads.Start();
}

// Losing the focus pauses a game in play, as Escape would but without a sound; the menus,
// the demo and the screen timers carry on.
void TFormWindow::ApplicationEventsDeactivate() {
  if (Audio != nullptr) Audio->SetAudible(false);  // silent while away; the music plays on unheard
  if (Settings.Screen != ScreenPlaying) return;
  Game.FocusLost();
  ComposeScreen();
}

// A game in progress is abandoned: its replay is kept.
void TFormWindow::FormClose() {
  StopClock();
  Game.EndRecording();
}

// One action per key press: auto-repeats and a second key pressed while the first is held
// are ignored until some key is released. Every accepted press ends with a redraw.
void TFormWindow::FormKeyDown(uint16_t key) {
  if (KeyHeld == 1) return;
  KeyHeld = 1;
  try {
    ScreenKeyDown(TKeyContext{Game, Scores, SoundAvailable(), MusicAvailable()}, key);
  } catch (const std::exception& error) {
    // A setting or score that cannot be stored: the game goes on with the value it has.
    ReportStoreFailure(error);
  }
  ComposeScreen();
}

void TFormWindow::FormKeyUp(uint16_t /*key*/) { KeyHeld = 0; }

void TFormWindow::ReportStoreFailure(const std::exception& error) {
  if (!StoreFailureShown) {
    StoreFailureShown = true;
    platform::ShowMessageBox(ApplicationTitle, AsSentence(error.what()), platform::MessageIcon::Stop);
  } else {
    std::fprintf(stderr, "huebloc: %s\n", error.what());
  }
}

// Shows the last composed picture; composing happens only in ComposeScreen.
void TFormWindow::FormPaint() {
  if (Surfaces != nullptr) ::FormPaint(*Surfaces);
}

void TFormWindow::PlaceWindow() {
  const TDisplayChoices stored = Store->LoadDisplay();
  WantedScale = Options.Scale ? Options.Scale : stored.Scale;
  ColourMarks = Options.ColourMarks.value_or(stored.ColourMarks.value_or(0) != 0);
  WindowScale = Form.FittingScale(WantedScale);
  Form.SetWindowScale(WindowScale);
  Form.SetFullScreen(Options.FullScreen.value_or(stored.FullScreen == 1));
}

void TFormWindow::FormHotkey(platform::Hotkey hotkey) {
  switch (hotkey) {
    case platform::Hotkey::FullScreen: {
      const bool fullScreen = !Form.FullScreen();
      Form.SetFullScreen(fullScreen);
      WriteDisplay(FullScreenValue, fullScreen ? 1 : 0);
      break;
    }
    case platform::Hotkey::ColourMarks:
      ColourMarks = !ColourMarks;
      WriteDisplay(ColourMarksValue, ColourMarks ? 1 : 0);
      if (Composed != nullptr) ComposeGame(*Composed);
      break;
  }
}

// The picture at its new size. In a window, a size of another scale is the player's choice and
// is remembered; the game's own resizes keep the scale it set.
void TFormWindow::FormResize() {
  FormPaint();
  if (Form.FullScreen()) return;
  if (const int scale = Form.PictureScale(); scale != WindowScale) {
    WindowScale = scale;
    WantedScale = scale;
    WriteDisplay(ScaleValue, scale);
  }
}

void TFormWindow::FitToDisplay() {
  if (Form.Closed() || Form.FullScreen()) return;
  if (const int scale = Form.FittingScale(WantedScale); scale != WindowScale) {
    WindowScale = scale;
    Form.SetWindowScale(scale);
  }
}

void TFormWindow::WriteDisplay(const std::string& name, int32_t value) {
  if (StoreUse != TStoreUse::ReadWrite) return;  // watching a replay changes nothing stored
  try {
    Store->WriteDisplay(name, value);
  } catch (const std::exception& error) {
    ReportStoreFailure(error);
  }
}

void TFormWindow::WMDisplayChange(int bitsPerPixel) {
  StopClock();
  if (bitsPerPixel < 24) {
    Form.Hide();
    platform::ShowMessageBox(WarningCaption, NotTrueColour);
    Form.Close();
    return;
  }
  if (DirectDraw == nullptr || DirectDraw->TestCooperativeLevel() != platform::DDERR_WRONGMODE) return;
  // The pictures were made for another display: make them again and start over from the
  // title; a game in progress is abandoned.
  ReleaseGraphics();
  if (!InitDirectX()) {
    ReleaseGraphics();
    Form.Hide();
    platform::ShowMessageBox(WarningCaption, NoGraphics);
    Form.Close();
    return;
  }
  ComposeScreen();
}

// Only one clock ever drives the game: starting it again replaces the beat it had.
void TFormWindow::StartClock(uint16_t periodMs) { TimerId = Clock.Restart(periodMs); }

void TFormWindow::StopClock() {
  if (TimerId != 0) {
    Clock.SetEnabled(false);
    TimerId = 0;
  }
}

void TFormWindow::EnableGameOverTimer() { TimerGameOver.SetEnabled(true); }

// Both levels are read at the moment of the request.
void TFormWindow::PlayAudio(int index) {
  if (Audio != nullptr)
    Audio->PlayAudio(index, static_cast<int>(Settings.GetFlag(FlagSoundVolume)),
                     static_cast<int>(Settings.GetFlag(FlagMusicVolume)));
}

void TFormWindow::ComposeScreen() { ComposeGame(Game); }

void TFormWindow::ComposeGame(const TGame& game) {
  if (Surfaces == nullptr) return;
  Composed = &game;
  ::ComposeScreen(TScreenView{game, SoundAvailable(), MusicAvailable(), ColourMarks}, *Surfaces, *this);
}

// A replay that cannot be written is told on the standard error, and the game goes on.
void TFormWindow::KeepReplay(const TReplay& replay) {
  if (StoreUse != TStoreUse::ReadWrite) return;
  try {
    KeepReplayFile(ReplayFolder(), HighScoreTableName(Settings), replay);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "huebloc: the replay of this game is not kept: %s\n", error.what());
  }
}

void TFormWindow::SetWaitCursor() { Form.SetCursor(platform::CursorShape::Wait); }

void TFormWindow::EnableTimerTitle() { TimerTitle.SetEnabled(true); }

void TFormWindow::EnableTimerExit() { TimerExit.SetEnabled(true); }
