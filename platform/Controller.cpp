#include "platform/Controller.h"

#include <SDL.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The left stick's dead zone, with a gap between push and release so that a stick held near
// the edge does not flicker: a push counts from half way out and ends within a quarter.
constexpr int StickPushAt = 16384;
constexpr int StickReleaseAt = 8192;
// How often the loop reads an open controller: once a frame of a 60 Hz display, too quick to
// be felt, where SDL's own wait would read it every millisecond.
constexpr int PadPollMs = 16;
// The netlink group on which udev announces every device that has come or gone, once the
// device is ready for use; SDL's own device monitors listen to the same group.
constexpr uint32_t DeviceManagerGroup = 2;

std::optional<PadButton> ButtonOf(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::Right;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::Down;
    case SDL_CONTROLLER_BUTTON_A: return PadButton::South;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::East;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    default: return std::nullopt;
  }
}

int OpenDeviceWatch() {
  const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
  if (fd < 0) return -1;
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = DeviceManagerGroup;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

struct Controllers::Native {
  struct Pad {
    SDL_JoystickID Id = -1;
    SDL_GameController* Handle = nullptr;
    std::optional<PadButton> Stick;  // the direction the left stick is pushed in
  };
  std::vector<Pad> Pads;
  SDL_JoystickID LastPressed = -1;

  Pad* Find(SDL_JoystickID id) {
    const auto found = std::find_if(Pads.begin(), Pads.end(), [id](const Pad& pad) { return pad.Id == id; });
    return found != Pads.end() ? &*found : nullptr;
  }
};

Controllers::Controllers() = default;

Controllers::~Controllers() { Stop(); }

void Controllers::Start() {
  if (Started) return;
  Started = true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
  Sdl = std::make_unique<Native>();
  Wake = OpenDeviceWatch();
}

void Controllers::Stop() {
  if (!Sdl) return;
  for (const Native::Pad& pad : Sdl->Pads) SDL_GameControllerClose(pad.Handle);
  Sdl.reset();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (Wake >= 0) close(Wake);
  Wake = -1;
}

int Controllers::Open() const { return Sdl ? static_cast<int>(Sdl->Pads.size()) : 0; }

int Controllers::PollMs() const { return Open() > 0 ? PadPollMs : -1; }

void Controllers::TakeWake() const {
  if (Wake < 0) return;
  // Only that something changed matters, not what: SDL reads the details itself.
  char message[8192];
  while (recv(Wake, message, sizeof message, MSG_DONTWAIT) >= 0) {
  }
}

void Controllers::Handle(const SDL_Event& event) {
  if (!Sdl) return;
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      // SDL may tell of one controller twice (as it starts, and as it finds it): opened once.
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
      if (id < 0 || Sdl->Find(id)) return;
      if (SDL_GameController* handle = SDL_GameControllerOpen(event.cdevice.which))
        Sdl->Pads.push_back(Native::Pad{id, handle, std::nullopt});
      break;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      // SDL has let go of its buttons and its stick just before, as events of their own.
      Native::Pad* pad = Sdl->Find(event.cdevice.which);
      if (!pad) return;
      const bool lastPressed = pad->Id == Sdl->LastPressed;
      SDL_GameControllerClose(pad->Handle);
      std::erase_if(Sdl->Pads, [id = pad->Id](const Native::Pad& other) { return other.Id == id; });
      if (lastPressed) {
        Sdl->LastPressed = -1;
        if (OnUnplugged) OnUnplugged();
      }
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const std::optional<PadButton> button = ButtonOf(event.cbutton.button);
      if (!button || !Sdl->Find(event.cbutton.which)) return;
      if (event.type == SDL_CONTROLLERBUTTONUP) {
        if (OnButtonUp) OnButtonUp(*button);
        return;
      }
      Sdl->LastPressed = event.cbutton.which;
      if (OnButtonDown) OnButtonDown(*button);
      break;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Native::Pad* pad = Sdl->Find(event.caxis.which);
      if (!pad || (event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX && event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY))
        return;
      // The stick as it is now, both axes at once: a move reaches SDL as one event per axis.
      const int x = SDL_GameControllerGetAxis(pad->Handle, SDL_CONTROLLER_AXIS_LEFTX);
      const int y = SDL_GameControllerGetAxis(pad->Handle, SDL_CONTROLLER_AXIS_LEFTY);
      const int reach = std::max(std::abs(x), std::abs(y));
      // One push is one step: its direction is taken as it leaves the dead zone, along the
      // axis pushed further, and held until the stick is back near the middle.
      if (!pad->Stick && reach >= StickPushAt) {
        pad->Stick = std::abs(x) >= std::abs(y) ? (x < 0 ? PadButton::Left : PadButton::Right)
                                                : (y < 0 ? PadButton::Up : PadButton::Down);
        Sdl->LastPressed = pad->Id;
        if (OnButtonDown) OnButtonDown(*pad->Stick);
      } else if (pad->Stick && reach < StickReleaseAt) {
        const PadButton released = *std::exchange(pad->Stick, std::nullopt);
        if (OnButtonUp) OnButtonUp(released);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace platform
