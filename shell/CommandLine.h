// The game's command line, in the GNU style: long options, their value after a space or an
// equals sign ("--scale 2", "--scale=2"). Every option is one entry of the table in
// CommandLine.cpp, which --help lists. With no options the game runs as it always has.
#pragma once
#include <optional>
#include <span>
#include <string>

// What the options ask of this run; none of it is stored.
struct TRunOptions {
  std::optional<bool> FullScreen;  // --fullscreen, --window; empty: as the player left it
  std::optional<int> Scale;        // --scale N; empty: as the player left it
  std::optional<bool> ColourMarks;  // --colour-marks, --no-colour-marks; empty: as the player left it
  std::optional<std::string> Replay;  // --replay FILE: watch the replay in FILE instead of playing
  bool Check = false;                 // --check (with --replay): check the replay headless
};

// The outcome of reading the command line: the game runs with Options, unless ExitCode is
// set; then the program prints Out on standard output and Err on standard error and ends.
struct TCommandLine {
  TRunOptions Options;
  std::optional<int> ExitCode;
  std::string Out;
  std::string Err;
};

// arguments: the command line without the program's name.
TCommandLine ParseCommandLine(std::span<const char* const> arguments);
