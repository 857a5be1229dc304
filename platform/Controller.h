// Game controllers through SDL's game-controller layer: every pad SDL knows (its built-in
// mappings and SDL_GAMECONTROLLERCONFIG) reads as one standard layout, plugged in before or
// during the game, and gives the handful of buttons the game reads.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

union SDL_Event;

namespace platform {

// The D-pad and the left stick give the four directions; south is A on most pads, east B.
enum class PadButton : uint8_t { Left, Right, Up, Down, South, East, Start };

class Controllers {
 public:
  // A button was pressed or released on any open controller. A push of the left stick past
  // its dead zone is one press of its direction, released when the stick comes back.
  std::function<void(PadButton)> OnButtonDown;
  std::function<void(PadButton)> OnButtonUp;
  // The controller that was pressed last has gone, after the release of what it held.
  std::function<void()> OnUnplugged;

  // Brings up SDL's controller support: the controllers already there arrive as events.
  // Without it (SDL cannot) the game simply has no controllers. The window stops it as it goes.
  void Start();
  void Stop();
  int Open() const { return static_cast<int>(Pads.size()); }

  // The loop's wait while a controller is open, in ms (-1 without one): SDL reads controllers
  // only when the loop asks it to, and no file of theirs tells when there is something to read.
  // Once a frame of a 60 Hz display is too quick to be felt; SDL's own wait reads every ms.
  int PollMs() const { return Pads.empty() ? -1 : 16; }
  // Readable when a device has come or gone on the desktop (-1 when not started): the loop
  // wakes on it to let SDL see the change. TakeWake() reads away what made it readable.
  int WakeFd() const { return Wake; }
  void TakeWake() const;

  // One event of the loop; anything but a controller's is left alone.
  void Handle(const SDL_Event& event);

 private:
  struct Pad {
    int32_t Id;                      // SDL's instance id of the open controller
    std::optional<PadButton> Stick;  // the direction the left stick is pushed in
  };
  Pad* Find(int32_t id);

  std::vector<Pad> Pads;
  int32_t LastPressed = -1;
  int Wake = -1;
};

}  // namespace platform
