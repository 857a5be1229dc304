#include "platform/Form.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#undef CursorShape  // Xlib's, for a query the game never makes

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/DisplayMode.h"
#include "platform/Keys.h"

namespace platform {

namespace {

// How many events one loop step handles before it turns to the timers.
constexpr int EventsPerStep = 256;

// Hotkeys go by the key's place on the keyboard, whatever else is held; Enter needs either Alt.
std::optional<Hotkey> HotkeyOf(const SDL_Keysym& key) {
  const bool enter = key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
  if (key.scancode == SDL_SCANCODE_F11 || (enter && (key.mod & KMOD_ALT))) return Hotkey::FullScreen;
  if (key.scancode == SDL_SCANCODE_F3) return Hotkey::ColourMarks;
  return std::nullopt;
}

// The next event read in, if there is one.
bool Take(SDL_Event& event) { return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1; }

}  // namespace

struct Form::Native {
  SDL_Window* Window = nullptr;
  SDL_Cursor* WaitCursor = nullptr;
  // SDL's own wait, on X11, sends the window a wake-up message over a second connection to the
  // display whenever an event arrives during it. The close request is such an event: the game
  // then destroys its window at once, the display may take the message only after that, and
  // the error it reports for it ends the program. So on X11 the loop waits on the display's
  // socket itself and lets SDL only read what has come; other video systems use SDL's wait.
  int X11Socket = -1;
  std::vector<SDL_Scancode> HeldHotkeys;  // keys whose presses were a hotkey's, until their release
  SDL_Rect Windowed{};                    // the window's place and size before it went full screen
};

Form::Form(TimerHost& timers)
    : Timers(timers), Sdl(std::make_unique<Native>()), PointerTimer(timers, PointerHideMs, [this] {
        PointerTimer.SetEnabled(false);
        SDL_ShowCursor(SDL_DISABLE);
      }) {
  // SDL2 reads the window class from the environment; the desktop entry expects "huebloc".
  // A value the user has set wins.
  setenv("SDL_VIDEO_X11_WMCLASS", "huebloc", 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", "huebloc", 0);
  SDL_SetHint(SDL_HINT_APP_NAME, "Huebloc");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Huebloc");
  // A keyboard game left idle in a menu must not keep the screen awake.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A small window on the desktop: leave the compositor on, or the whole desktop flickers.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Full screen is the desktop's own resolution: switching to another program need not hide it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Opening the display opens an input method, which on X11 first parses the locale's whole
  // compose table: most of the time from launch to the first picture. The game reads keys, not
  // composed text, so an empty table will do; one the user named still wins.
  setenv("XCOMPOSEFILE", "/dev/null", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    throw std::runtime_error(std::string("Cannot open the display: ") + SDL_GetError());
  SDL_EnableScreenSaver();
  Sdl->Window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ClientWidth, ClientHeight,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!Sdl->Window) {
    const std::string error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw std::runtime_error("Cannot create the window: " + error);
  }
  SDL_SetWindowMinimumSize(Sdl->Window, ClientWidth, ClientHeight);
  // The game reads keys, not text: an input method must not hold key presses back.
  SDL_StopTextInput();
  DisplayDepth();
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(Sdl->Window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
    Sdl->X11Socket = ConnectionNumber(info.info.x11.display);
#endif
}

Form::~Form() {
  Pads.Stop();
  if (Sdl->WaitCursor) SDL_FreeCursor(Sdl->WaitCursor);
  SDL_DestroyWindow(Sdl->Window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  // The last one out also lets go of what SDL keeps beside its subsystems (the desktop bus
  // connection, hints).
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

void Form::SetCaption(const std::string& caption) { SDL_SetWindowTitle(Sdl->Window, caption.c_str()); }

bool Form::SetIcon(std::span<const uint32_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 || width > INT_MAX / 4 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return false;
  // SDL only reads the pixels: it copies them into the window's icon.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels.data()), width, height,
                                                            32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return false;
  SDL_SetWindowIcon(Sdl->Window, surface);
  SDL_FreeSurface(surface);
  return true;
}

void Form::SetCursor(CursorShape shape) {
  CurrentCursor = shape;
  CursorPending = true;
}

void Form::Hide() { SDL_HideWindow(Sdl->Window); }

void Form::Close() {
  if (IsClosed) return;
  IsClosed = true;
  if (OnClose) OnClose();
  Hide();  // gone from the desktop at once; the window itself goes with the Form
}

void Form::SetWindowScale(int scale) {
  if (FullScreen()) return;
  scale = std::clamp(scale, 1, MaxScale);
  const int display = std::max(0, SDL_GetWindowDisplayIndex(Sdl->Window));
  SDL_SetWindowSize(Sdl->Window, ClientWidth * scale, ClientHeight * scale);
  SDL_SetWindowPosition(Sdl->Window, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

int Form::PictureScale() const {
  int width = 0, height = 0;
  SDL_GetWindowSize(Sdl->Window, &width, &height);
  return LargestScale(width, height);
}

int Form::FittingScale(std::optional<int> wanted) const {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(Sdl->Window)), &usable) != 0) return 1;
  Borders b;
  // A window manager that has not told (or no window manager) leaves them all 0.
  const bool told = SDL_GetWindowBordersSize(Sdl->Window, &b.Top, &b.Left, &b.Bottom, &b.Right) == 0 &&
                    (b.Top | b.Left | b.Bottom | b.Right) != 0;
  return WindowScale(usable.w, usable.h, told ? std::optional(b) : std::nullopt, wanted);
}

bool Form::FullScreen() const { return (SDL_GetWindowFlags(Sdl->Window) & SDL_WINDOW_FULLSCREEN) != 0; }

void Form::SetFullScreen(bool fullScreen) {
  if (fullScreen == FullScreen()) return;
  SDL_Rect& windowed = Sdl->Windowed;
  if (fullScreen) {
    SDL_GetWindowPosition(Sdl->Window, &windowed.x, &windowed.y);
    SDL_GetWindowSize(Sdl->Window, &windowed.w, &windowed.h);
    SDL_SetWindowFullscreen(Sdl->Window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    PointerTimer.Restart(PointerHideMs);
    return;
  }
  SDL_SetWindowFullscreen(Sdl->Window, 0);
  // Not every window manager gives the window back its size and place, and without one
  // nothing does.
  SDL_SetWindowSize(Sdl->Window, windowed.w, windowed.h);
  SDL_SetWindowPosition(Sdl->Window, windowed.x, windowed.y);
  PointerTimer.SetEnabled(false);
  SDL_ShowCursor(SDL_ENABLE);
}

int Form::DisplayDepth() const {
  // While displays are being rearranged there may be no answer: keep the last one.
  if (const int depth = DisplayBitsPerPixel(WindowId()); depth > 0) LastDepth = depth;
  return LastDepth;
}

uint32_t Form::WindowId() const { return SDL_GetWindowID(Sdl->Window); }

void Form::Run() {
  SDL_ShowWindow(Sdl->Window);
  while (PumpOnce(-1)) {
  }
}

bool Form::PumpOnce(int maxWaitMs) {
  if (IsClosed) return false;
  // What the display has sent is read in first, so that the loop sleeps only with nothing left.
  SDL_PumpEvents();
  SDL_Event event;
  bool got = Take(event);
  // No longer than until the next timer, nor than an open controller may go unread.
  int64_t wait = got ? 0 : maxWaitMs;
  for (const int64_t limit : {Timers.MsUntilNext(), int64_t{Pads.PollMs()}})
    if (limit >= 0 && (wait < 0 || limit < wait)) wait = limit;
  if (wait != 0) {
    const int ms = static_cast<int>(std::min<int64_t>(wait, INT_MAX));
    if (Sdl->X11Socket < 0) {
      SDL_WaitEventTimeout(nullptr, ms);  // knows no file of the controllers
    } else {
      pollfd files[] = {{Sdl->X11Socket, POLLIN, 0}, {Pads.WakeFd(), POLLIN, 0}};  // a file of -1 is passed over
      poll(files, 2, ms);
    }
    Pads.TakeWake();
    SDL_PumpEvents();
    got = Take(event);
  }
  for (int handled = 1; got && !IsClosed; ++handled) {
    Dispatch(event);
    got = handled < EventsPerStep && Take(event);
  }
  if (!IsClosed) Timers.FireDue();
  if (!IsClosed && std::exchange(CursorPending, false)) {
    const bool busy = CurrentCursor == CursorShape::Wait;
    if (busy && !Sdl->WaitCursor) Sdl->WaitCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    if (SDL_Cursor* cursor = busy && Sdl->WaitCursor ? Sdl->WaitCursor : SDL_GetDefaultCursor()) SDL_SetCursor(cursor);
  }
  return !IsClosed;
}

void Form::Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDL_Keysym& keysym = event.key.keysym;
      const auto held = std::ranges::find(Sdl->HeldHotkeys, keysym.scancode);
      if (event.key.repeat != 0 && held != Sdl->HeldHotkeys.end()) break;
      if (const std::optional<Hotkey> hotkey = HotkeyOf(keysym)) {
        if (held == Sdl->HeldHotkeys.end()) Sdl->HeldHotkeys.push_back(keysym.scancode);
        if (event.key.repeat == 0 && OnHotkey) OnHotkey(*hotkey);
        break;
      }
      // The same key without its modifier is the game's again (its last release may have gone
      // to another window).
      if (held != Sdl->HeldHotkeys.end()) Sdl->HeldHotkeys.erase(held);
      if (const uint16_t key = VirtualKey(keysym.scancode, keysym.sym); key != 0 && OnKeyDown) OnKeyDown(key);
      break;
    }
    case SDL_KEYUP:
      if (std::erase(Sdl->HeldHotkeys, event.key.keysym.scancode) > 0) break;
      if (OnKeyUp) OnKeyUp(VirtualKey(event.key.keysym.scancode, event.key.keysym.sym));
      break;
    case SDL_MOUSEMOTION:
      if (FullScreen()) {
        SDL_ShowCursor(SDL_ENABLE);
        PointerTimer.Restart(PointerHideMs);
      }
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          if (OnShow) OnShow();
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (OnDeactivate) OnDeactivate();
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          if (OnPaint) OnPaint();
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          if (OnResize) OnResize();
          break;
        case SDL_WINDOWEVENT_CLOSE:
          Close();
          break;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
          if (OnDisplayChange) OnDisplayChange(DisplayDepth());
          break;
        default:
          break;
      }
      break;
    case SDL_QUIT:  // also SIGINT and SIGTERM: the game closes as from its title bar
      Close();
      break;
    case SDL_DISPLAYEVENT:
    case SDL_RENDER_DEVICE_RESET:
      if (OnDisplayChange) OnDisplayChange(DisplayDepth());
      break;
    default:  // the controllers' events; the rest means nothing to the game
      Pads.Handle(event);
      break;
  }
}

}  // namespace platform
