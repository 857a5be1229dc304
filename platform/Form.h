// The game's one window and the main thread's event loop. Handlers set by the game run on
// the main thread, one at a time, between events: keys, hotkeys, activation, paint, resizing,
// close, display changes and the timers of a TimerHost (the game clock among them).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/Controller.h"
#include "platform/Scale.h"
#include "platform/WindowTimer.h"

namespace platform {

enum class CursorShape : uint8_t { Arrow, Wait };
// The desktop's keys: full screen (F11, Alt+Enter) and the colour marks (F3).
enum class Hotkey : uint8_t { FullScreen, ColourMarks };

class Form {
 public:
  static constexpr int ClientWidth = PictureWidth;
  static constexpr int ClientHeight = PictureHeight;
  // Without motion for this long, the mouse pointer hides in full screen.
  static constexpr uint32_t PointerHideMs = 2000;

  // The window was shown, or the game got the keyboard focus back.
  std::function<void()> OnShow;
  std::function<void()> OnDeactivate;
  // Virtual-key codes (platform/Keys.h). Auto-repeat arrives as further key-downs. A key
  // without a code is never pressed for the game, but its release still arrives (as 0), so
  // any release re-arms what a press latched.
  std::function<void(uint16_t key)> OnKeyDown;
  std::function<void(uint16_t key)> OnKeyUp;
  // Taken before any screen: a hotkey's press, repeats and release reach neither OnKeyDown nor
  // OnKeyUp, so it is never typed, captured by the key setup or counted by the key latch. The
  // modifier held with it (Alt may be a player's key) reaches the game as any key does.
  std::function<void(Hotkey hotkey)> OnHotkey;
  // The player, the window manager or the game (SetWindowScale, SetFullScreen) resized it.
  std::function<void()> OnResize;
  std::function<void()> OnPaint;
  // The window is closing (title bar, window manager, Close()); the loop ends after it.
  std::function<void()> OnClose;
  // The display changed under the window; the new colour depth in bits per pixel.
  std::function<void(int bitsPerPixel)> OnDisplayChange;

  // Game controllers, whose events come through this loop: it reads them while one is open
  // and wakes when a device arrives. The game starts them once it is on the screen.
  Controllers Pads;

  // Creates the window hidden, centred, with the game's desktop identity, at scale 1 and never
  // smaller. Throws std::runtime_error when no window can be made.
  explicit Form(TimerHost& timers);
  ~Form();

  void SetCaption(const std::string& caption);
  // Icon from 32-bit pixels 0xAARRGGBB, row by row; false when the size does not match.
  bool SetIcon(std::span<const uint32_t> pixels, int width, int height);
  // Takes effect at the end of the loop's step: the desktop's wait cursor (often an animation
  // of many frames) takes milliseconds to load, and the picture asking for it goes first.
  void SetCursor(CursorShape shape);
  CursorShape Cursor() const { return CurrentCursor; }

  void Hide();
  void Close();
  bool Closed() const { return IsClosed; }

  // Sizes the window (not in full screen) to the picture at that scale, centred on its display.
  void SetWindowScale(int scale);
  // The largest scale at which the picture fits the window as it is now.
  int PictureScale() const;
  // The scale the window has room for on its display, decorations included: wanted when it
  // fits, else the largest that does (platform::WindowScale).
  int FittingScale(std::optional<int> wanted) const;
  // Full screen at the desktop's own resolution (no mode change), or back to the window as it
  // was, in size and place. In full screen the pointer hides while the mouse rests.
  void SetFullScreen(bool fullScreen);
  bool FullScreen() const;

  // Of the display the window is on, in bits per pixel.
  int DisplayDepth() const;
  // For the platform's presentation code.
  uint32_t WindowId() const;

  // Shows the window and runs the loop until it closes, asleep while there is nothing to do.
  void Run();
  // One step of the loop: waits at most maxWaitMs (-1: as long as needed, 0: not at all,
  // either way no longer than the next timer), then handles every waiting event and the due
  // timers. False once the window has closed.
  bool PumpOnce(int maxWaitMs);

 private:
  struct Native;

  void Dispatch(const SDL_Event& event);

  TimerHost& Timers;
  std::unique_ptr<Native> Sdl;
  WindowTimer PointerTimer;
  CursorShape CurrentCursor = CursorShape::Arrow;
  bool CursorPending = false;
  bool IsClosed = false;
  mutable int LastDepth = 32;
};

}  // namespace platform
