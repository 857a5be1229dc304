// Program entry: with no arguments the game; `--replay FILE [--check]` watches or checks a
// replay (see RunReplayCommandLine). Exit code 0, or what the replay command returns.
#include <iostream>
#include <string>
#include <vector>

#include "shell/Program.h"
#include "shell/ReplayCommands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> code = RunReplayCommandLine(args, std::cout, std::cerr)) return *code;
  return RunProgram();
}
