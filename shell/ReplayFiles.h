// Where the replays of played games are kept, under which names, and which of them stay: the
// replay of every game whose score is in its high-score table, for as long as it is there, and
// the last few of all the others.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Replay.h"

// $XDG_STATE_HOME/huebloc/replays (~/.local/state/huebloc/replays when unset); "" without a
// home folder.
std::string ReplayFolder();

// The file name of a game's replay: its table (as the high-score keys name it, "7x10" or
// "7x10a" for Advanced), the local date and time it began and its score, as in
// "7x10a-2026-12-09T14.32.05-score-4350.hbr".
std::string ReplayFileName(const std::string& table, int64_t startedAt, uint32_t score);

// How many replays of games whose score is in no table are kept, the latest ones.
constexpr std::size_t KeptOtherReplays = 10;

// The five scores of a table, by its name, as stored now; nothing when the store cannot tell.
using TTableScores = std::function<std::optional<std::array<uint32_t, 5>>(const std::string& table)>;
// The high-score tables of the per-user store, read without writing anything (a table never
// stored has five scores of 0).
std::optional<std::array<uint32_t, 5>> StoredTableScores(const std::string& table);

// Of the replay files named in a folder, those no longer kept. A score in a table keeps as
// many replays of that table and score as the table holds it, the oldest, since a later game
// of an equal score is placed below it; of the rest only the latest KeptOtherReplays stay.
// The replays of a table the store cannot tell are all kept; other names are never touched.
std::vector<std::string> ReplaysToRemove(const std::vector<std::string>& names, const TTableScores& scores);

// Writes a game's replay into the folder, made when missing, under its name (followed by
// "-2", "-3", ... when that is taken), then removes the replays no longer kept, and our own
// temporary files that a crash left behind. Returns the file written. Throws std::exception
// when it cannot be written; nothing else is changed then.
std::string KeepReplayFile(const std::string& folder, const std::string& table, const TReplay& replay,
                           const TTableScores& scores = StoredTableScores);
