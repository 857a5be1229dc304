#include "shell/CommandLine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "platform/Scale.h"

#ifndef HUEBLOC_VERSION
#error "HUEBLOC_VERSION must give the project's version"
#endif

namespace {

constexpr std::string_view Program = "huebloc";

// One option: its name after "--", the name of its value ("" when it takes none), its line
// in --help, and what it does. Apply returns why the value is refused, or "" when it is taken.
struct TOption {
  std::string_view Name;
  std::string_view ValueName;
  std::string_view Help;
  std::string (*Apply)(TCommandLine& line, std::string_view value);
};

std::string Usage();

std::string Scale(TCommandLine& line, std::string_view value) {
  int scale = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
  if (error != std::errc() || end != value.data() + value.size() || scale < 1 || scale > platform::MaxScale)
    return "invalid scale '" + std::string(value) + "' (a whole number from 1 to " +
           std::to_string(platform::MaxScale) + ")";
  line.Options.Scale = scale;
  return {};
}

// An option without a value that sets one field of the run's options.
template <auto Field, auto Value>
std::string Set(TCommandLine& line, std::string_view) {
  line.Options.*Field = Value;
  return {};
}

std::string Replay(TCommandLine& line, std::string_view file) {
  line.Options.Replay = std::string(file);
  return {};
}

constexpr std::array<TOption, 9> Table = {{
    {"fullscreen", "", "start in full screen", Set<&TRunOptions::FullScreen, true>},
    {"window", "", "start in a window", Set<&TRunOptions::FullScreen, false>},
    {"scale", "N", "show the window at N times the game's own size, where the screen has room", Scale},
    {"colour-marks", "", "show the marks of the colours on every bubble and tile",
     Set<&TRunOptions::ColourMarks, true>},
    {"no-colour-marks", "", "show the bubbles and tiles without colour marks", Set<&TRunOptions::ColourMarks, false>},
    {"replay", "FILE", "watch the recorded game in FILE, then exit", Replay},
    {"check", "", "with --replay: play it back headless and compare it with its recording",
     Set<&TRunOptions::Check, true>},
    {"help", "", "show this help and exit",
     [](TCommandLine& line, std::string_view) {
       line.ExitCode = 0;
       line.Out = Usage();
       return std::string();
     }},
    {"version", "", "show the version and exit",
     [](TCommandLine& line, std::string_view) {
       line.ExitCode = 0;
       line.Out = std::string(Program) + " " + HUEBLOC_VERSION + "\n";
       return std::string();
     }},
}};

std::string Usage() {
  std::string text = "Usage: " + std::string(Program) +
                     " [OPTION]...\n"
                     "Huebloc, a colour-bubble puzzle game. Options apply to this run only.\n\n";
  constexpr std::size_t HelpColumn = 22;
  for (const TOption& option : Table) {
    std::string left = "  --" + std::string(option.Name);
    if (!option.ValueName.empty()) left += " " + std::string(option.ValueName);
    left.resize(std::max(left.size() + 2, HelpColumn), ' ');
    text += left + std::string(option.Help) + "\n";
  }
  text += "\nIn the game, F11 or Alt+Enter switches between a window and full screen, and F3 turns the\n"
          "colour marks on or off.\n"
          "Exit status: 0; 1 when a checked replay does not match; 2 for a wrong command line or a\n"
          "file that holds no replay.\n";
  return text;
}

void Refuse(TCommandLine& line, const std::string& why) {
  line.ExitCode = 2;
  line.Err = std::string(Program) + ": " + why + "\nTry '" + std::string(Program) + " --help' for more information.\n";
}

}  // namespace

TCommandLine ParseCommandLine(std::span<const char* const> arguments) {
  TCommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size() && !line.ExitCode; ++i) {
    const std::string_view argument = arguments[i];
    if (optionsEnded || !argument.starts_with("--")) {
      Refuse(line, "unexpected argument '" + std::string(argument) + "'");
      break;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const std::string_view text = argument.substr(2);
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const TOption* option = nullptr;
    for (const TOption& candidate : Table)
      if (candidate.Name == name) option = &candidate;
    if (option == nullptr) {
      Refuse(line, "unrecognized option '" + std::string(argument) + "'");
      break;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (option->ValueName.empty()) {
        Refuse(line, "option '--" + std::string(name) + "' doesn't allow an argument");
        break;
      }
      value = text.substr(equals + 1);
    } else if (!option->ValueName.empty()) {
      if (i + 1 == arguments.size()) {
        Refuse(line, "option '--" + std::string(name) + "' requires an argument");
        break;
      }
      value = arguments[++i];
    }
    if (const std::string why = option->Apply(line, value); !why.empty()) Refuse(line, why);
  }
  if (!line.ExitCode && line.Options.Check && !line.Options.Replay)
    Refuse(line, "option '--check' needs '--replay FILE'");
  return line;
}
