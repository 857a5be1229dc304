// Modal message boxes with an OK button, for the few messages the game ever shows.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

enum class MessageIcon : uint8_t { None, Stop };

// Shows the box and returns when the player has dismissed it; where no display can show one
// (no desktop, or a headless run) there is no box. The message always goes to standard error
// as well, caption first, where a desktop session's journal keeps it.
void ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon = MessageIcon::None);

}  // namespace platform
