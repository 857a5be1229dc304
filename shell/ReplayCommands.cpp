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
    const auto bytes = platform::ReadWholeFile(file, {MaxReplayBytes, "a replay file"});
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

int WatchReplay(const std::string& file, std::ostream& err, const TProgramHooks& hooks, const TRunOptions& options) {
  const std::optional<TReplay> replay = ReadReplay(file, err);
  if (!replay) return ExitNoReplay;
  return RunInWindow(hooks, TStoreUse::ReadOnly, options, [&](TFormWindow& window) {
    const TReplayViewer viewer(window, *replay, hooks.Now);
    RunUntilClosed(hooks, window);
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
