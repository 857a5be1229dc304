// The replays on the command line: one watched in the window, or checked headless.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "shell/Program.h"

// Plays the replay in the file back in the game's window until the player has watched it.
// Returns the exit code: 0, or 2 when the file holds no replay to play (one line on err names
// the file and what is wrong, and no window opens).
int WatchReplay(const std::string& file, std::ostream& err, const TProgramHooks& hooks = {});

// Plays the replay in the file back headless, as fast as it can, and prints the score, level
// and number of bubbles it ends with beside those recorded, and whether the game played back
// as recorded. Returns 0 on a match, 1 on a mismatch, 2 when the file holds no replay.
int CheckReplayFile(const std::string& file, std::ostream& out, std::ostream& err);

// --- The replay options of the command line, all in this one function ---
// `--replay FILE` watches the replay in FILE (WatchReplay); `--replay FILE --check`, in either
// order, checks it headless (CheckReplayFile). Returns nothing when the arguments (those after
// the program's name) hold neither option: the game starts as usual then. Otherwise returns the
// exit code; a command line wrong about them says so in one line on err and returns 2:
//   "huebloc: option '--replay' needs a file name"
//   "huebloc: option '--check' needs '--replay FILE'"
//   "huebloc: option '--replay' given twice"        (or '--check')
//   "huebloc: unknown argument 'X' beside '--replay'"
std::optional<int> RunReplayCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                                        const TProgramHooks& hooks = {});
