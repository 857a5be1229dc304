#include "shell/ReplayCommands.h"

#include <optional>
#include <ostream>

#include "core/ReplayFormat.h"
#include "platform/AtomicFile.h"
#include "shell/ReplayViewer.h"
#include "shell/Window.h"

namespace {

constexpr int ExitMismatch = 1;
constexpr int ExitNoReplay = 2;

// The replay in the file, or nothing when it holds none, said on err.
std::optional<TReplay> ReadReplay(const std::string& file, std::ostream& err) {
  try {
    const auto bytes = platform::ReadWholeFile(file, nullptr, {MaxReplayBytes, "a replay file"});
    if (!bytes) {
      err << "huebloc: " << file << ": no such file\n";
      return std::nullopt;
    }
    return DecodeReplay(*bytes);
  } catch (const platform::FileError& error) {
    err << "huebloc: " << file << ": " << error.Cause() << "\n";
  } catch (const EReplayFormat& error) {
    err << "huebloc: " << file << ": " << error.what() << "\n";
  }
  return std::nullopt;
}

std::ostream& operator<<(std::ostream& out, const TReplayEnd& end) {
  return out << "score " << end.Score << ", level " << end.Level << ", " << end.Bubbles << " bubbles";
}

}  // namespace

int WatchReplay(const std::string& file, std::ostream& err, const TProgramHooks& hooks) {
  const std::optional<TReplay> replay = ReadReplay(file, err);
  if (!replay) return ExitNoReplay;
  return RunInWindow(hooks, TStoreUse::ReadOnly, [&](TFormWindow& window) {
    const TReplayViewer viewer(window, *replay, hooks.Now);
    if (hooks.Run) {
      hooks.Run(window);
    } else {
      window.Form.Run();
    }
  });
}

int CheckReplayFile(const std::string& file, std::ostream& out, std::ostream& err) {
  const std::optional<TReplay> replay = ReadReplay(file, err);
  if (!replay) return ExitNoReplay;
  const TReplayCheck check = CheckReplay(*replay);
  const auto ending = [](bool gameOver) { return gameOver ? " (game over)" : " (abandoned)"; };
  out << "Replayed: " << check.End << ending(check.GameOver) << "\n";
  out << "Recorded: " << replay->End << ending(replay->GameOver) << "\n";
  if (check.Matches(*replay)) {
    out << "Match: the game plays back as it was recorded.\n";
    return 0;
  }
  if (check.FirstDifference) {
    out << "Mismatch: the game first differs from the recording after " << DescribeStep(*replay, *check.FirstDifference)
        << ".\n";
  } else {
    out << "Mismatch: the game ends otherwise than recorded.\n";
  }
  return ExitMismatch;
}

std::optional<int> RunReplayCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                                        const TProgramHooks& hooks) {
  std::optional<std::string> file;
  bool check = false;
  std::optional<std::string> stray;
  const auto wrong = [&](const std::string& what) {
    err << "huebloc: " << what << "\n";
    return ExitNoReplay;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--replay") {
      if (file) return wrong("option '--replay' given twice");
      if (i + 1 == args.size()) return wrong("option '--replay' needs a file name");
      file = args[++i];
    } else if (args[i] == "--check") {
      if (check) return wrong("option '--check' given twice");
      check = true;
    } else if (!stray) {
      stray = args[i];
    }
  }
  if (!file && !check) return std::nullopt;
  if (!file) return wrong("option '--check' needs '--replay FILE'");
  if (stray) return wrong("unknown argument '" + *stray + "' beside '--replay'");
  return check ? CheckReplayFile(*file, out, err) : WatchReplay(*file, err, hooks);
}
