// The desktop's display mode: the colour depth the game insists on at start-up, and the check
// that tells when the display changed under the surfaces so that they must be made anew.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Graphics.h"

namespace platform {

// Bits per pixel (24 for 8 bits a channel) of the display showing the window of that id (the
// first display for 0 or no such window), or 0 when it cannot be told. Main thread only.
int DisplayBitsPerPixel(uint32_t windowId = 0);

// Records the desktop's pixel format (which holds the depth) at creation, as the surfaces are
// made for it: the display's of the window of that id, or the given function's (for tests).
class DisplayModeCheck {
 public:
  using Query = std::function<std::optional<uint32_t>()>;

  explicit DisplayModeCheck(uint32_t windowId = 0);
  explicit DisplayModeCheck(Query query);

  // DD_OK while the display keeps the recorded format; DDERR_WRONGMODE once it differs, or a
  // display appeared or vanished.
  Result TestCooperativeLevel() const;

 private:
  Query Current;
  std::optional<uint32_t> Recorded;
};

}  // namespace platform
