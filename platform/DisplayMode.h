// The desktop's display mode: the colour depth the game insists on at start-up, and the check
// that tells when the display changed under the surfaces so that they must be made anew.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Graphics.h"

namespace platform {

struct DisplayMode {
  uint32_t Format = 0;  // the display system's pixel-format code
  int BitsPerPixel = 0;
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// The desktop mode of the display showing the window of that id (platform::Form::WindowId;
// 0, or an id of no window, asks the first display); nothing when no display can be asked.
// Main thread only.
std::optional<DisplayMode> DesktopDisplayMode(uint32_t windowId = 0);

// The colour depth of that display in bits per pixel (24 for a true-colour desktop of
// 8 bits per channel), or 0 when it cannot be told.
int DisplayBitsPerPixel(uint32_t windowId = 0);

// Records the display mode at creation, as the surfaces are made for it.
class DisplayModeCheck {
 public:
  using Query = std::function<std::optional<DisplayMode>()>;

  // Asks the desktop mode of the display of the window of that id.
  explicit DisplayModeCheck(uint32_t windowId = 0);
  // Asks through the given function instead (tests change the "display" at will).
  explicit DisplayModeCheck(Query query);

  // DD_OK while the display keeps the recorded mode; DDERR_WRONGMODE once its format or
  // depth differs, or a display appeared or vanished.
  Result TestCooperativeLevel() const;

 private:
  Query Current;
  std::optional<DisplayMode> Recorded;
};

}  // namespace platform
