// The replays on the command line: one watched in the window, or checked headless.
#pragma once
#include <iosfwd>
#include <string>

#include "shell/Program.h"

// Plays the replay in the file back in the game's window until the player has watched it.
// Returns the exit code: 0, or 2 when the file holds no replay to play (one line on err names
// the file and what is wrong, and no window opens). `options` are the command line's display choices.
int WatchReplay(const std::string& file, std::ostream& err, const TProgramHooks& hooks = {},
                const TRunOptions& options = {});

// Plays the replay in the file back headless, as fast as it can, and prints the score, level
// and number of bubbles it ends with beside those recorded, and whether the game played back
// as recorded. Returns 0 on a match, 1 on a mismatch, 2 when the file holds no replay.
int CheckReplayFile(const std::string& file, std::ostream& out, std::ostream& err);
