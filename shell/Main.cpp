// Program entry: the command line is read before anything else, so that --help, --version and
// a mistyped option end the program without opening a window. The game's own exit code is 0
// in every case; checking a replay says 1 when it does not match, and a file that holds no
// replay ends with 2.
#include <cstdio>
#include <iostream>
#include <span>

#include "shell/CommandLine.h"
#include "shell/Program.h"
#include "shell/ReplayCommands.h"

int main(int argc, char** argv) {
  const TCommandLine line = ParseCommandLine(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
  if (line.ExitCode) {
    std::fputs(line.Out.c_str(), stdout);
    std::fputs(line.Err.c_str(), stderr);
    return *line.ExitCode;
  }
  if (line.Options.Replay) {
    if (line.Options.Check) return CheckReplayFile(*line.Options.Replay, std::cout, std::cerr);
    return WatchReplay(*line.Options.Replay, std::cerr, {}, line.Options);
  }
  return RunProgram({}, line.Options);
}
