// The command line: what each option asks of the run, and every mistake ending the program
// with exit code 2, one line naming it and the hint, before anything is opened.
#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TCommandLine Parse(const std::vector<const char*>& arguments) { return ParseCommandLine(arguments); }

TEST(CommandLine, OptionsAskForTheirRunOnly) {
  const struct {
    std::vector<const char*> Arguments;
    std::optional<bool> FullScreen;
    std::optional<int> Scale;
    std::optional<bool> ColourMarks = std::nullopt;
    std::optional<std::string> Replay = std::nullopt;
    bool Check = false;
  } cases[] = {
      {{}, std::nullopt, std::nullopt},
      {{"--fullscreen"}, true, std::nullopt},
      {{"--window"}, false, std::nullopt},
      {{"--fullscreen", "--window"}, false, std::nullopt},  // the last one counts
      {{"--scale", "3"}, std::nullopt, 3},
      {{"--scale=16", "--fullscreen"}, true, 16},
      {{"--scale", "1", "--"}, std::nullopt, 1},
      {{"--colour-marks"}, std::nullopt, std::nullopt, true},
      {{"--colour-marks", "--no-colour-marks"}, std::nullopt, std::nullopt, false},
      {{"--replay", "a.hbr"}, std::nullopt, std::nullopt, std::nullopt, "a.hbr"},
      {{"--check", "--replay=--check"}, std::nullopt, std::nullopt, std::nullopt, "--check", true},
      {{"--replay", "b.hbr", "--check", "--scale", "2"}, std::nullopt, 2, std::nullopt, "b.hbr", true},
  };
  for (const auto& c : cases) {
    const TCommandLine line = Parse(c.Arguments);
    const std::string shown = c.Arguments.empty() ? "(none)" : c.Arguments[0];
    EXPECT_FALSE(line.ExitCode) << shown;
    EXPECT_EQ(line.Options.FullScreen, c.FullScreen) << shown;
    EXPECT_EQ(line.Options.Scale, c.Scale) << shown;
    EXPECT_EQ(line.Options.ColourMarks, c.ColourMarks) << shown;
    EXPECT_EQ(line.Options.Replay, c.Replay) << shown;
    EXPECT_EQ(line.Options.Check, c.Check) << shown;
    EXPECT_EQ(line.Out + line.Err, "") << shown;
  }
}

TEST(CommandLine, MistakesEndTheProgramWithOneLineAndTheHint) {
  const struct {
    std::vector<const char*> Arguments;
    std::string Line;
  } cases[] = {
      {{"--colour"}, "unrecognized option '--colour'"},
      {{"-h"}, "unexpected argument '-h'"},
      {{"level9"}, "unexpected argument 'level9'"},
      {{"--", "--window"}, "unexpected argument '--window'"},
      {{"--scale", "0"}, "invalid scale '0' (a whole number from 1 to 16)"},
      {{"--scale", "x"}, "invalid scale 'x' (a whole number from 1 to 16)"},
      {{"--scale", "99"}, "invalid scale '99' (a whole number from 1 to 16)"},
      {{"--scale", "2x"}, "invalid scale '2x' (a whole number from 1 to 16)"},
      {{"--scale", "-1"}, "invalid scale '-1' (a whole number from 1 to 16)"},
      {{"--scale="}, "invalid scale '' (a whole number from 1 to 16)"},
      {{"--scale"}, "option '--scale' requires an argument"},
      {{"--window=yes"}, "option '--window' doesn't allow an argument"},
      {{"--scale", "2", "--nope", "--help"}, "unrecognized option '--nope'"},
      {{"--replay"}, "option '--replay' requires an argument"},
      {{"--check"}, "option '--check' needs '--replay FILE'"},
      {{"--colour-marks=1"}, "option '--colour-marks' doesn't allow an argument"},
  };
  for (const auto& c : cases) {
    const TCommandLine line = Parse(c.Arguments);
    EXPECT_EQ(line.ExitCode, 2) << c.Line;
    EXPECT_EQ(line.Out, "") << c.Line;
    EXPECT_EQ(line.Err, "huebloc: " + c.Line + "\nTry 'huebloc --help' for more information.\n");
  }
}

TEST(CommandLine, HelpListsEveryOptionAndVersionNamesTheGame) {
  const TCommandLine help = Parse({"--window", "--help", "--nope"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_EQ(help.Err, "");
  EXPECT_EQ(help.Out.rfind("Usage: huebloc [OPTION]...\n", 0), 0u) << help.Out;
  for (const char* option : {"\n  --fullscreen ", "\n  --window ", "\n  --scale N ", "\n  --colour-marks ",
                             "\n  --no-colour-marks ", "\n  --replay FILE ", "\n  --check ", "\n  --help ",
                             "\n  --version "})
    EXPECT_NE(help.Out.find(option), std::string::npos) << option;

  const TCommandLine version = Parse({"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Out, "huebloc " HUEBLOC_VERSION "\n");
}

}  // namespace
