// The recording of a player's game, its replay file and its playing back: every input is
// recorded with its time and the state after it, a game's recording ends once whichever way
// the game ends, the file keeps every field and refuses hostile bytes saying what is wrong,
// and a replay that no longer plays as recorded says at which input.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/GameBoard.h"
#include "core/ReplayFormat.h"

namespace {

using I = TReplayInput;

class Recording : public GameBoard {
 protected:
  void SetUp() override {
    GameBoard::SetUp();
    W().Recorder.Clock = [this] { return Ms; };
    W().Recorder.Calendar = [] { return int64_t{1'765'300'000}; };
  }

  // A 6 x 8 Advanced game from level 3, begun at 50 s with the generator off its last seed.
  void Begin() {
    S().Flags = 0x100;
    S().StartLevel = 3;
    W().AreaWidth = 6;
    W().AreaHeight = 8;
    W().Random.Seed(77);
    W().Random.Next(5);
    StartState = W().Random.State();
    Ms = 50'000;
    W().BeginPlay();
  }

  // Feeds one input and remembers what a recording should hold of it.
  void Feed(uint32_t ms, TReplayInput input) {
    Ms = ms;
    switch (input) {
      case I::Tick: W().GameTick(); break;
      case I::Left: W().PlayLeft(); break;
      case I::Right: W().PlayRight(); break;
      case I::Up: W().PlayUp(); break;
      case I::Escape: W().PlayEscape(); break;
      case I::FocusLost: W().FocusLost(); break;
      case I::Resume: W().ResumeGame(); break;
    }
    Fed.push_back({ms - 50'000, input, StateDigest(W())});
  }

  void FeedAll(const std::vector<std::pair<uint32_t, TReplayInput>>& inputs) {
    for (const auto& [ms, input] : inputs) Feed(ms, input);
  }

  void TicksUntilGameOver() {
    while (S().Screen == ScreenPlaying) Feed(Ms + 300, I::Tick);
  }

  uint32_t Ms = 0;
  TRandom::TState StartState;
  std::vector<TReplayStep> Fed;
};

TEST_F(Recording, EveryInputOfAPlayersGameIsRecordedWithItsTimeAndTheStateAfterIt) {
  W().StartDemo();  // the demo behind the menus is never recorded
  for (int i = 0; i < 20; ++i) W().GameTick();
  Begin();
  const int readsAtStart = TickReads - 1;  // the first bubble entered as the game began
  FeedAll({{50'100, I::Left}, {51'000, I::Tick}, {51'200, I::Escape}, {58'000, I::Resume}, {58'100, I::Right},
           {58'150, I::Up}, {59'000, I::Tick}, {59'500, I::FocusLost}, {70'000, I::Resume}, {70'001, I::Left}});
  TicksUntilGameOver();

  ASSERT_EQ(Host.Replays.size(), 1u) << "kept once, when the game is over";
  const TReplay& replay = Host.Replays[0];
  EXPECT_EQ(replay.Steps, Fed);
  EXPECT_EQ(replay.Seeds.size(), static_cast<std::size_t>(TickReads - readsAtStart)) << "every bubble's seed";
  EXPECT_EQ(replay.Random, StartState);
  EXPECT_EQ(replay.Width, 6);
  EXPECT_EQ(replay.Height, 8);
  EXPECT_TRUE(replay.Advanced);
  EXPECT_EQ(replay.StartLevel, 3);
  EXPECT_EQ(replay.StartedAt, 1'765'300'000);
  EXPECT_TRUE(replay.GameOver);
  EXPECT_EQ(replay.End, EndOf(W(), static_cast<uint32_t>(replay.Seeds.size())));

  // Written, read back and played back headless, it is the same game to its last cell.
  const TReplay read = DecodeReplay(EncodeReplay(replay));
  EXPECT_EQ(read, replay);
  const TReplayCheck check = CheckReplay(read);
  EXPECT_TRUE(check.Matches(read)) << (check.FirstDifference ? DescribeStep(read, *check.FirstDifference) : "");
}

// However a player's game ends, its recording ends there once, as a game over or abandoned;
// the demo and a game with recording off keep nothing.
TEST_F(Recording, AGamesRecordingEndsOnceWhicheverWayTheGameEnds) {
  struct Ending {
    const char* How;
    std::function<void()> End;
    std::size_t Replays;
    bool GameOver;
  };
  const Ending endings[] = {
      {"the game is over", [this] { TicksUntilGameOver(); }, 1, true},
      {"the game is over, then the window closes during the name entry",
       [this] {
         TicksUntilGameOver();
         S().Screen = ScreenCongratulations;
         W().EndRecording();
       },
       1, true},
      {"Restart Game", [this] { W().BeginPlay(); }, 1, false},
      {"Exit from the in-game menu", [this] { W().StartDemo(); }, 1, false},
      {"the window closes during a pause",
       [this] {
         Feed(52'000, I::Escape);
         W().EndRecording();
       },
       1, false},
      {"Restart Game with recording off",
       [this] {
         W().Recorder.Enabled = false;
         W().BeginPlay();
         TicksUntilGameOver();
       },
       1, false},
  };
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.How);
    SetUp();
    Host.Replays.clear();
    Begin();
    FeedAll({{50'300, I::Right}, {51'000, I::Tick}, {51'500, I::Up}});
    ending.End();
    ASSERT_EQ(Host.Replays.size(), ending.Replays);
    const TReplay& replay = Host.Replays[0];
    EXPECT_EQ(replay.GameOver, ending.GameOver);
    EXPECT_EQ(std::vector<TReplayStep>(replay.Steps.begin(), replay.Steps.begin() + 3),
              std::vector<TReplayStep>(Fed.begin(), Fed.begin() + 3));
    EXPECT_TRUE(CheckReplay(replay).Matches(replay));
    Fed.clear();
  }
}

// Memory stays bounded: past the longest game kept, the recording is dropped.
TEST_F(Recording, AGameOfMoreInputsThanTheLongestKeptKeepsNoReplay) {
  Begin();
  for (std::size_t i = 0; i < TReplayRecorder::MaxSteps / 2; ++i) {
    W().PlayEscape();
    W().ResumeGame();
  }
  EXPECT_TRUE(W().Recorder.Recording());
  W().PlayEscape();
  EXPECT_FALSE(W().Recorder.Recording());
  W().EndRecording();
  EXPECT_TRUE(Host.Replays.empty());
}

// A replay with the extremes of every field, for the file's round trip.
TReplay Extremes() {
  TReplay replay;
  replay.Width = 10;
  replay.Height = 14;
  replay.Advanced = true;
  replay.StartLevel = 9;
  replay.BestScore = 4'000'000'000u;
  replay.StartedAt = -1;
  replay.Random = {0xFFFFFFFFu, MaxReplayDraws};
  replay.Seeds = {0xFFFFFFF0u, 5, 0x80000000u, 0, 7};  // differences that wrap both ways
  replay.Steps = {{0, I::Tick, 0xDEADBEEFu}, {1, I::Left, 0}, {1, I::Right, 1}, {2, I::Up, 2},
                  {1000, I::Escape, 3}, {3'600'000, I::Resume, 4}, {3'600'001, I::FocusLost, 5},
                  {0xFFFFFFFFu, I::Resume, 6}};
  replay.GameOver = true;
  replay.End = {123'450, 9, 4'000'000'000u, std::vector<uint8_t>(140, 0x88)};
  replay.End.Board[0] = 0xF0;  // no bubble and no tile
  return replay;
}

TEST(ReplayFormat, KeepsEveryFieldInAFewBytes) {
  const TReplay replay = Extremes();
  EXPECT_EQ(DecodeReplay(EncodeReplay(replay)), replay);
  // A tick a second costs two bytes besides its digest.
  TReplay none = replay, ticks = replay;
  none.Steps.clear();
  ticks.Steps.clear();
  for (uint32_t i = 0; i < 1000; ++i) ticks.Steps.push_back({1000 * (i + 1), I::Tick, i});
  EXPECT_LE(EncodeReplay(ticks).size() - EncodeReplay(none).size(), 1000u * 6 + 1);
  EXPECT_EQ(DecodeReplay(EncodeReplay(ticks)), ticks);
}

// The bytes with one changed and the checksum made right again, as a made-up file would be.
std::string Patched(std::string bytes, std::size_t at, uint8_t value) {
  bytes[at] = static_cast<char>(value);
  const uint32_t sum = ReplayChecksum(std::string_view(bytes).substr(0, bytes.size() - 4));
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>(sum >> (8 * i));
  return bytes;
}

std::string Flipped(std::string bytes, std::size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  return bytes;
}

std::string Encoded(const std::function<void(TReplay&)>& change) {
  TReplay replay = Extremes();
  change(replay);
  return EncodeReplay(replay);
}

std::string Refusal(std::string_view bytes) {
  try {
    DecodeReplay(bytes);
  } catch (const EReplayFormat& error) {
    return error.what();
  }
  return "read";
}

TEST(ReplayFormat, RefusesHostileBytesSayingWhatIsWrong) {
  const std::string valid = EncodeReplay(Extremes());
  const std::size_t seedsAt = 43 + 140;
  struct Case {
    const char* What;
    std::string Bytes;
    std::string Refusal;
  };
  const Case cases[] = {
      {"nothing", "", "empty: it holds no replay"},
      {"text", "hello, world", "not a Huebloc replay: it does not begin as one"},
      {"a file too large", std::string(MaxReplayBytes + 1, '\x89'),
       "too large: 4194305 bytes, and a replay holds at most 4194304 bytes (4 MiB)"},
      {"a newer format", Patched(valid, 8, 2),
       "made by a newer version of Huebloc: its format is version 2, and this version reads version 1"},
      {"format 0", Patched(valid, 8, 0), "damaged: a format version of 0, not 1 to 1"},
      {"a width", Patched(valid, 9, 11), "damaged: a width of 11, not 5 to 10"},
      {"a byte changed", Flipped(valid, valid.size() - 6), "damaged: its checksum does not match its contents"},
      {"a byte more", valid + "x", "damaged: there is more after its end"},
      {"a bubble", Encoded([](TReplay& r) { r.End.Board[7] = 0x09; }), "damaged: a bubble of 9, not 0 to 8"},
      {"a tile", Encoded([](TReplay& r) { r.End.Board[7] = 0x90; }), "damaged: a tile of 9, not 0 to 8"},
      {"an input kind", Encoded([](TReplay& r) { r.Steps[1].Input = static_cast<I>(7); }),
       "damaged: an input kind of 7, not 0 to 6"},
      {"a resume first", Encoded([](TReplay& r) { r.Steps[0].Input = I::Resume; }),
       "damaged: input 1 resumes a game not paused"},
      {"a tick in a pause", Encoded([](TReplay& r) { r.Steps[5].Input = I::Tick; }),
       "damaged: input 6 comes during a pause"},
      {"the generator far off its seed", Encoded([](TReplay& r) { r.Random.Draws = MaxReplayDraws + 1; }),
       "damaged: a count of random draws of 1048577, not 0 to 1048576"},
      {"more seeds than bytes", valid.substr(0, seedsAt) + "\xff\xff\xff\xff\x0f" + valid.substr(seedsAt + 1),
       "truncated: it ends within its seeds"},
      {"a number without end", valid.substr(0, seedsAt + 1) + std::string(6, '\x80') + valid.substr(seedsAt + 2),
       "damaged: a number in its seeds runs on past 5 bytes"},
  };
  for (const Case& c : cases) EXPECT_EQ(Refusal(c.Bytes), c.Refusal) << c.What;
  // Cut anywhere, a file says that it is cut.
  for (std::size_t size = 1; size < valid.size(); ++size)
    ASSERT_EQ(Refusal(valid.substr(0, size)).rfind("truncated: it ends within its ", 0), 0u) << size;
}

// A playback that leaves the recording says at which input, or that the game ends otherwise.
TEST_F(Recording, APlaybackThatLeavesTheRecordingSaysWhere) {
  Begin();
  FeedAll({{50'100, I::Left}, {51'000, I::Tick}, {52'000, I::Tick}, {52'100, I::Up}, {53'000, I::Tick},
           {53'100, I::Right}, {53'200, I::Up}, {54'000, I::Tick}, {55'000, I::Tick}});
  TicksUntilGameOver();
  ASSERT_EQ(Host.Replays.size(), 1u);
  const TReplay recorded = Host.Replays[0];
  EXPECT_EQ(DescribeStep(recorded, 6), "input 7 of " + std::to_string(recorded.Steps.size()) + " (Up at 0:03.200)");
  struct Change {
    const char* What;
    std::function<void(TReplay&)> Make;
    std::optional<std::size_t> FirstDifference;
  };
  const Change changes[] = {
      {"a digest", [](TReplay& r) { r.Steps[5].Digest ^= 1; }, 5},
      {"a tick left out", [](TReplay& r) { r.Steps.erase(r.Steps.begin() + 7); }, 7},
      {"Up for Right", [](TReplay& r) { r.Steps[5].Input = I::Up; }, 5},
      {"another score", [](TReplay& r) { r.End.Score += 10; }, std::nullopt},
      {"another cell", [](TReplay& r) { r.End.Board[3] ^= 1; }, std::nullopt},
      {"abandoned", [](TReplay& r) { r.GameOver = false; }, std::nullopt},
  };
  for (const Change& change : changes) {
    TReplay replay = recorded;
    change.Make(replay);
    const TReplayCheck check = CheckReplay(replay);
    EXPECT_FALSE(check.Matches(replay)) << change.What;
    EXPECT_EQ(check.FirstDifference, change.FirstDifference) << change.What;
  }
}

}  // namespace
