#include "ui/HighScores.h"

#include <gtest/gtest.h>

#include "UiGame.h"
#include "support/TempStore.h"

namespace {

using Calls = std::vector<std::string>;
using ScoreList = std::array<uint32_t, 5>;
using Names = std::array<std::string, 5>;

class HighScores : public UiGame {
 protected:
  void Table(const ScoreList& scores, const Names& names) {
    for (std::size_t i = 0; i < 5; ++i) {
      Settings.HighScores[i] = scores[i];
      Settings.HighScoreNames[i] = names[i];
    }
  }
  ScoreList TableScores() const { return {Settings.HighScores[0], Settings.HighScores[1], Settings.HighScores[2],
                                       Settings.HighScores[3], Settings.HighScores[4]}; }
  Names TableNames() const { return {Settings.HighScoreNames[0], Settings.HighScoreNames[1], Settings.HighScoreNames[2],
                                     Settings.HighScoreNames[3], Settings.HighScoreNames[4]}; }
};

TEST_F(HighScores, EachSizeAndModeHasItsOwnKey) {
  const struct {
    uint16_t Width, Height, Flags;
    std::string Table;
  } cases[] = {{7, 10, 0x55, "7x10"}, {7, 10, 0x155, "7x10a"}, {10, 14, 0x0000, "10x14"},
               {5, 7, 0xFD00, "5x7a"},  // the unused bits do not matter
               {8, 9, 0x255, "8x9"},    {8, 9, 0x355, "8x9"}};  // only mode 1 is Advanced
  for (const auto& c : cases) {
    Settings.WidthSetting = c.Width;
    Settings.HeightSetting = c.Height;
    Settings.Flags = c.Flags;
    EXPECT_EQ(HighScoreKey(Settings), std::string(HighScoresKeyPath) + "\\" + c.Table);
  }
}

// Strictly above the fifth score, compared unsigned.
TEST_F(HighScores, OnlyAScoreAboveTheFifthEntersTheTable) {
  const struct {
    uint32_t Fifth, Score;
    bool Enters;
  } cases[] = {{100, 100, false}, {100, 101, true}, {100, 99, false}, {0, 0, false},
               {0, 1, true},      {0x80000000u, 0x7FFFFFFFu, false}, {0x7FFFFFFFu, 0x80000000u, true}};
  for (const auto& c : cases) {
    Settings.HighScores[4] = c.Fifth;
    Settings.Score = c.Score;
    Settings.HighScoreNames[5] = "OLD";
    Settings.Screen = ScreenGameOver;
    EXPECT_EQ(ScoreQualifies(Settings), c.Enters) << c.Fifth << " " << c.Score;
    ShowGameResult(Settings);
    EXPECT_EQ(Settings.Screen, c.Enters ? ScreenCongratulations : ScreenHighScores);
    EXPECT_EQ(Settings.HighScoreNames[5], c.Enters ? "" : "OLD");
  }
}

// Key codes taken as characters of the C locale: letters, digits and white space type
// themselves in upper case, so the keypad digits 1-9 and F1-F11 type letters too. A
// controller's codes add an A, or step the last character along space, A-Z, 0-9 and round.
TEST_F(HighScores, NameEntryTakesLettersDigitsAndWhiteSpaceUpToEight) {
  const struct {
    std::string Before;
    uint16_t Key;
    std::string After;
  } cases[] = {
      {"", 'H', "H"}, {"H", '7', "H7"}, {"", ' ', " "}, {"", 9, "\t"},  // Tab is white space
      {"", 97, "A"}, {"", 105, "I"}, {"", 112, "P"}, {"", 122, "Z"},  // keypad 1 and 9, F1 and F11
      {"", 96, ""}, {"", 123, ""}, {"", 16, ""}, {"", 37, ""}, {"", 27, ""},  // keypad 0, F12, Shift, Left, Esc
      {"", 200, ""}, {"", 0x141, ""}, {"", 0x109, ""},  // no letter in the C locale; beyond 255 no character
      {"ABCDEFG", 'X', "ABCDEFGX"}, {"ABCDEFGH", 'X', "ABCDEFGH"},  // a ninth character is refused silently
      {"AB", VkBack, "A"}, {"", VkBack, ""},  // Backspace on nothing is silent
      {"", PadNewCharacter, "A"}, {"", PadNextCharacter, "A"}, {"", PadPreviousCharacter, "A"},  // a step adds one
      {"A", PadNextCharacter, "B"}, {"A", PadPreviousCharacter, " "}, {" ", PadPreviousCharacter, "9"},
      {"9", PadNextCharacter, " "}, {"QZ", PadNextCharacter, "Q0"}, {"Q0", PadPreviousCharacter, "QZ"},
      {"B\t", PadNextCharacter, "BA"},  // other white space counts as the space
      {"ABCDEFGH", PadNewCharacter, "ABCDEFGH"}, {"ABCDEFGH", PadNextCharacter, "ABCDEFGI"}, {"AB", PadNoKey, "AB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.Key << " after \"" << c.Before << "\"");
    Settings.Screen = ScreenCongratulations;
    Settings.HighScoreNames[5] = c.Before;
    Press(c.Key);
    EXPECT_EQ(Settings.HighScoreNames[5], c.After);
    EXPECT_EQ(Settings.Screen, ScreenCongratulations);
    EXPECT_EQ(TakeCalls(), c.After != c.Before ? Calls{"sound 4"} : Calls{});
  }
}

// Enter puts the score in its place (below an equal one) in the table as stored now, which
// another copy of the game may have changed since it was read, stores the table and shows it;
// the name may be empty. The best score shown is the table's top or the game's own score,
// never lower.
TEST_F(HighScores, EnterPlacesTheScoreBelowEqualOnesAndSavesTheTable) {
  const ScoreList scores = {500, 400, 300, 200, 100};
  const Names names = {"A", "B", "C", "D", "E"};
  const struct {
    uint32_t Score;
    std::string Name;
    ScoreList Stored;  // as another copy left it; the table read at the start was scores, names
    Names StoredNames;
    ScoreList ExpectedScores;
    Names ExpectedNames;
  } cases[] = {
      {400, "NEW", scores, names, {500, 400, 400, 300, 200}, {"A", "B", "NEW", "C", "D"}},
      {600, "", scores, names, {600, 500, 400, 300, 200}, {"", "A", "B", "C", "D"}},
      {101, "X", scores, names, {500, 400, 300, 200, 101}, {"A", "B", "C", "D", "X"}},
      {500, "Y", scores, names, {500, 500, 400, 300, 200}, {"A", "Y", "B", "C", "D"}},
      {450, "TWO", {500, 460, 400, 300, 200}, {"A", "ONE", "B", "C", "D"},
       {500, 460, 450, 400, 300}, {"A", "ONE", "TWO", "B", "C"}},
      {150, "LATE", {900, 800, 700, 600, 500}, {"P", "Q", "R", "S", "T"},  // no longer in the five
       {900, 800, 700, 600, 500}, {"P", "Q", "R", "S", "T"}},
      {900, "TOP", {}, {}, {900, 0, 0, 0, 0}, {"TOP", "", "", "", ""}},  // a table never stored
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Score);
    Table(scores, names);
    Settings.BestScore = std::max(scores[0], c.Score);  // as the game's scoring left it
    Scores.Tables["7x10"] = THighScoreTable{c.Stored, c.StoredNames};
    Settings.Score = c.Score;
    Settings.Screen = ScreenCongratulations;
    Settings.HighScoreNames[5] = c.Name;
    Press(VkReturn);
    EXPECT_EQ(Settings.Screen, ScreenHighScores);
    EXPECT_EQ(TableScores(), c.ExpectedScores);
    EXPECT_EQ(TableNames(), c.ExpectedNames);
    EXPECT_EQ(Settings.BestScore, std::max({scores[0], c.Score, c.ExpectedScores[0]}));
    EXPECT_EQ(TakeCalls(), (Calls{"sound 4", "change 7x10"}));
    EXPECT_EQ(Scores.Tables["7x10"].Scores, c.ExpectedScores);
    EXPECT_EQ(Scores.Tables["7x10"].Names, c.ExpectedNames);
  }

  // A store that cannot be read now or refuses the table: the entry still ends, with the score
  // in the table read at the start, and nothing is written.
  for (bool* failure : {&Scores.Damaged, &Scores.Refuse}) {
    Table(scores, names);
    Scores.Tables["7x10"] = THighScoreTable{};
    *failure = true;
    Settings.Score = Settings.BestScore = 250;
    Settings.Screen = ScreenCongratulations;
    Settings.HighScoreNames[5] = "Z";
    EXPECT_THROW(Press(VkReturn), ERegistryException);
    *failure = false;
    EXPECT_EQ(Settings.Screen, ScreenHighScores);
    EXPECT_EQ(TableScores(), (ScoreList{500, 400, 300, 250, 200}));
    EXPECT_EQ(Settings.HighScoreNames[3], "Z");
    EXPECT_EQ(Settings.BestScore, 500u);
    EXPECT_EQ(TakeCalls(), (Calls{"sound 4", "change 7x10"}));
    EXPECT_EQ(Scores.Tables["7x10"].Scores, ScoreList{});
  }
}

TEST_F(HighScores, AnyKeyOnTheTableReturnsToTheMainMenuWithANewDemo) {
  for (const uint16_t key : {uint16_t{'A'}, VkEscape, VkReturn, uint16_t{0x141}}) {
    On(ScreenHighScores, ItemExit);
    Press(key);
    EXPECT_EQ(Settings.Screen, ScreenMainMenu);
    EXPECT_EQ(Settings.MenuItem, ItemStartGame);
    EXPECT_EQ(Host.Period, 250);
    const Calls calls = TakeCalls();
    EXPECT_EQ(calls.front(), "sound 4");
    EXPECT_EQ(calls.back(), "clock 250");
  }
}

TEST_F(HighScores, TheBestScoreComesFromTheTableOfTheChosenSizeAndMode) {
  Scores.Tables["7x10"].Scores = {300, 0, 0, 0, 0};
  Scores.Tables["8x10"].Scores = {900, 800, 0, 0, 0};
  Scores.Tables["8x10a"].Scores = {50, 0, 0, 0, 0};
  LoadHighScores(Settings, Scores);
  EXPECT_EQ(Settings.BestScore, 300u);

  On(ScreenPlaySetup, ItemWidth);
  Press(VkRight);
  EXPECT_EQ(Settings.BestScore, 900u);
  EXPECT_EQ(Settings.HighScores[1], 800u);
  Press(VkUp);
  Press(VkUp);
  ASSERT_EQ(Settings.MenuItem, ItemMode);
  Press(VkRight);
  EXPECT_EQ(Settings.BestScore, 50u);
  Press(VkLeft);
  On(ScreenMainMenu, ItemStartGame);
  Press(VkReturn);
  EXPECT_EQ(Game.AreaWidth, 8);
  EXPECT_EQ(Settings.BestScore, 900u) << "the game shows its table's best score";

  // A table that cannot be read leaves the entries as they were; the best score follows them.
  Scores.Refuse = true;
  Settings.BestScore = 12345;
  LoadHighScores(Settings, Scores);
  EXPECT_EQ(Settings.HighScores[1], 800u);
  EXPECT_EQ(Settings.BestScore, 900u);
}

// The real store: tables survive a restart, each in its own key; missing places are created.
TEST_F(HighScores, TablesAreKeptInTheStore) {
  TempStore temp;
  THighScoreRegistry store;
  Table({1, 2, 3, 4, 5}, {"V", "W", "X", "Y", "Z"});
  LoadHighScores(Settings, store);  // a table never played: created with zeros and empty names
  EXPECT_EQ(TableScores(), (ScoreList{}));
  EXPECT_EQ(TableNames(), (Names{}));
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(HighScoreKey(Settings), false));
    for (const char* value : {"s1", "s5"}) EXPECT_EQ(registry.ReadInteger(value), 0);
    for (const char* value : {"n1", "n5"}) EXPECT_EQ(registry.ReadString(value), "");
  }

  const ScoreList scores = {0xFFFFFFF0u, 70000, 300, 20, 1};
  const Names names = {"HUE", "A\tB", "", "12345678", "Z Z"};
  const auto storeTable = [&](const ScoreList& s, const Names& n) {
    EXPECT_EQ(store.ChangeTable(HighScoreKey(Settings), [&](THighScoreTable& t) { t = {s, n}; }).Scores, s);
  };
  storeTable(scores, names);
  Settings.Flags = 0x155;
  storeTable({9, 0, 0, 0, 0}, {"ADV", "", "", "", ""});

  TSettings again;
  again.WidthSetting = 7;
  again.HeightSetting = 10;
  LoadHighScores(again, store);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(again.HighScores[i], scores[i]) << i;
    EXPECT_EQ(again.HighScoreNames[i], names[i]) << i;
  }
  EXPECT_EQ(again.BestScore, 0xFFFFFFF0u);
  again.Flags = 0x100;
  LoadHighScores(again, store);
  EXPECT_EQ(again.HighScores[0], 9u);
  EXPECT_EQ(again.HighScoreNames[0], "ADV");

  // A table with places missing (an edited store): they read as empty and are written so.
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(std::string(HighScoresKeyPath) + "\\5x7", true));
    registry.WriteInteger("s1", 50);
    registry.WriteString("n1", "ONE");
  }
  again.WidthSetting = 5;
  again.HeightSetting = 7;
  again.Flags = 0;
  LoadHighScores(again, store);
  EXPECT_EQ(again.HighScores[0], 50u);
  EXPECT_EQ(again.HighScoreNames[0], "ONE");
  EXPECT_EQ(again.HighScores[1], 0u);
  EXPECT_EQ(again.HighScoreNames[1], "");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(std::string(HighScoresKeyPath) + "\\5x7", false));
  EXPECT_EQ(registry.ReadInteger("s4"), 0);
  EXPECT_EQ(registry.ReadString("n4"), "");

  // A value of the wrong type is the store's error, named.
  registry.WriteInteger("n2", 7);
  try {
    LoadHighScores(again, store);
    ADD_FAILURE() << "a name stored as a number was read";
  } catch (const ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'n2'");
  }
}

}  // namespace
