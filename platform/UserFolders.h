// The user's base folders of the XDG layout, where the game keeps its settings, scores and
// replays.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// The folder a variable such as XDG_STATE_HOME names when it holds an absolute path (relative
// ones are to be ignored), else underHome (".local/state") below the home folder, which is
// HOME or, without a usable HOME, the user's entry in the password database. "" when there is
// no home folder either.
std::string XdgBaseFolder(const char* variable, std::string_view underHome);

}  // namespace platform
