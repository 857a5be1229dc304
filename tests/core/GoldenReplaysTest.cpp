// The golden replays: recorded games kept in tests/replays with the board and counters each
// must end with, played back headless. Any change to a rule of the game makes one of them
// leave its recording, and the failure says at which input the state first differed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/ReplayFormat.h"
#include "replays/GoldenText.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class GoldenReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenReplay, PlaysBackAsRecordedToItsFinalBoard) {
  const std::string base = std::string(HUEBLOC_GOLDEN_REPLAYS) + "/" + GetParam();
  const TReplay replay = DecodeReplay(ReadFile(base + ".hbr"));
  const TReplayCheck check = CheckReplay(replay);
  ASSERT_FALSE(check.FirstDifference) << "the state first differs from the recording after "
                                      << DescribeStep(replay, *check.FirstDifference);
  EXPECT_TRUE(check.Matches(replay)) << "the game ends otherwise than recorded";
  // The end as its text shows it, a line of comment before it.
  const std::string text = ReadFile(base + ".txt");
  EXPECT_EQ(GoldenEndText(replay, check.End, check.GameOver), text.substr(text.find('\n') + 1));
}

INSTANTIATE_TEST_SUITE_P(Games, GoldenReplay,
                         ::testing::Values("standard-5x7-double-row", "advanced-10x14-to-level-9", "standard-10x14",
                                           "advanced-5x7-level-5", "standard-8x11-abandoned"),
                         [](const ::testing::TestParamInfo<const char*>& game) {
                           std::string name = game.param;
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
