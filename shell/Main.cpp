// Program entry: the command line is read before anything else, so that --help, --version and
// a mistyped option end the program without opening a window. The game's own exit code is 0
// in every case.
#include <cstdio>
#include <span>

#include "shell/CommandLine.h"
#include "shell/Program.h"

int main(int argc, char** argv) {
  const TCommandLine line = ParseCommandLine(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
  if (line.ExitCode) {
    std::fputs(line.Out.c_str(), stdout);
    std::fputs(line.Err.c_str(), stderr);
    return *line.ExitCode;
  }
  return RunProgram({}, line.Options);
}
