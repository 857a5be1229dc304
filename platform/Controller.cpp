#include "platform/Controller.h"

#include <SDL.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

// The left stick's dead zone, with a gap between push and release so that a stick held near
// the edge does not flicker: a push counts from half way out and ends within a quarter.
constexpr int StickPushAt = 16384;
constexpr int StickReleaseAt = 8192;
// The netlink group on which udev announces every device that has come or gone, once the
// device is ready for use; SDL's own device monitors listen to the same group.
constexpr uint32_t DeviceManagerGroup = 2;

constexpr std::pair<uint8_t, PadButton> Buttons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::Left}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadButton::Right},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::Up},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadButton::Down},
    {SDL_CONTROLLER_BUTTON_A, PadButton::South},        {SDL_CONTROLLER_BUTTON_B, PadButton::East},
    {SDL_CONTROLLER_BUTTON_START, PadButton::Start},
};

}  // namespace

Controllers::Pad* Controllers::Find(int32_t id) {
  const auto found = std::ranges::find(Pads, id, &Pad::Id);
  return found != Pads.end() ? &*found : nullptr;
}

void Controllers::Start() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0 || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
  Wake = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
  sockaddr_nl address{.nl_family = AF_NETLINK, .nl_pad = 0, .nl_pid = 0, .nl_groups = DeviceManagerGroup};
  if (Wake >= 0 && bind(Wake, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(Wake);
    Wake = -1;
  }
}

void Controllers::Stop() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return;
  for (const Pad& pad : Pads) SDL_GameControllerClose(SDL_GameControllerFromInstanceID(pad.Id));
  Pads.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (Wake >= 0) close(Wake);
  Wake = -1;
}

void Controllers::TakeWake() const {
  if (Wake < 0) return;
  // Only that something changed matters, not what: SDL reads the details itself.
  char message[8192];
  while (recv(Wake, message, sizeof message, MSG_DONTWAIT) >= 0) {
  }
}

void Controllers::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      // SDL may tell of one controller twice (as it starts, and as it finds it): opened once.
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
      if (id >= 0 && !Find(id) && SDL_GameControllerOpen(event.cdevice.which)) Pads.push_back(Pad{id, std::nullopt});
      break;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      // SDL has let go of its buttons and its stick just before, as events of their own.
      const SDL_JoystickID id = event.cdevice.which;
      if (std::erase_if(Pads, [id](const Pad& pad) { return pad.Id == id; }) == 0) break;
      SDL_GameControllerClose(SDL_GameControllerFromInstanceID(id));
      if (id == LastPressed) {
        LastPressed = -1;
        if (OnUnplugged) OnUnplugged();
      }
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const auto* button = std::ranges::find(Buttons, event.cbutton.button, &std::pair<uint8_t, PadButton>::first);
      if (button == std::end(Buttons) || !Find(event.cbutton.which)) break;
      const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
      if (down) LastPressed = event.cbutton.which;
      if (const auto& handler = down ? OnButtonDown : OnButtonUp) handler(button->second);
      break;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* pad = Find(event.caxis.which);
      if (!pad || (event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX && event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY))
        break;
      // The stick as it is now, both axes at once: a move reaches SDL as one event per axis.
      SDL_GameController* handle = SDL_GameControllerFromInstanceID(pad->Id);
      const int x = SDL_GameControllerGetAxis(handle, SDL_CONTROLLER_AXIS_LEFTX);
      const int y = SDL_GameControllerGetAxis(handle, SDL_CONTROLLER_AXIS_LEFTY);
      const int reach = std::max(std::abs(x), std::abs(y));
      // One push is one step: its direction is taken as it leaves the dead zone, along the
      // axis pushed further, and held until the stick is back near the middle.
      if (!pad->Stick && reach >= StickPushAt) {
        pad->Stick = std::abs(x) >= std::abs(y) ? (x < 0 ? PadButton::Left : PadButton::Right)
                                                : (y < 0 ? PadButton::Up : PadButton::Down);
        LastPressed = pad->Id;
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
