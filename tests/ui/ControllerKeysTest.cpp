#include "ui/ControllerKeys.h"

#include <gtest/gtest.h>

#include <array>

#include "UiGame.h"

namespace {

using platform::PadButton;
using Calls = std::vector<std::string>;
using Keys = std::array<uint16_t, 7>;  // for Left, Right, Up, Down, South, East, Start
constexpr std::array<PadButton, 7> Buttons = {PadButton::Left,  PadButton::Right, PadButton::Up,   PadButton::Down,
                                              PadButton::South, PadButton::East,  PadButton::Start};
constexpr uint16_t KeyA = 65, KeyD = 68, KeyW = 87;

// In play the directions are the bound keys, whatever they are; Start pauses there and is
// Enter everywhere else; east is Escape, which the menus ignore.
TEST(ControllerKeys, EachScreenGetsTheKeysItExpects) {
  const Keys menus = {VkLeft, VkRight, VkUp, VkDown, VkReturn, VkEscape, VkReturn};
  const struct {
    TScreen Screen;
    uint8_t KeyToSet;
    uint16_t Right;  // the key bound to Right
    Keys Expected;
  } cases[] = {
      {ScreenPlaying, 0, KeyD, {KeyA, KeyD, KeyW, PadNoKey, VkReturn, VkEscape, VkEscape}},
      {ScreenPlaying, 0, 0, {KeyA, PadNoKey, KeyW, PadNoKey, VkReturn, VkEscape, VkEscape}},  // Right unbound
      {ScreenMainMenu, 0, KeyD, menus},
      {ScreenPlaySetup, 0, KeyD, menus},
      {ScreenGameSetup, 0, KeyD, menus},
      {ScreenKeysSetup, 0, KeyD, menus},
      {ScreenKeysSetup, 2, KeyD, {VkEscape, VkEscape, VkEscape, VkEscape, VkEscape, VkEscape, VkEscape}},
      {ScreenGameMenu, 0, KeyD, menus},
      {ScreenHighScores, 0, KeyD, menus},
      {ScreenCongratulations, 0, KeyD,
       {VkBack, PadNewCharacter, PadNextCharacter, PadPreviousCharacter, VkReturn, VkEscape, VkReturn}},
  };
  for (const auto& c : cases) {
    TSettings settings;
    settings.KeyLeft = KeyA;
    settings.KeyRight = c.Right;
    settings.KeyUp = KeyW;
    settings.Screen = c.Screen;
    settings.KeyToSet = c.KeyToSet;
    for (std::size_t i = 0; i < Buttons.size(); ++i)
      EXPECT_EQ(ControllerKey(settings, Buttons[i]), c.Expected[i]) << "screen " << int(c.Screen) << " button " << i;
  }
}

class ControllerKeyHandling : public UiGame {
 protected:
  void Push(PadButton button) { Press(ControllerKey(Settings, button)); }
};

// A binding stays a keyboard key: any button ends the capture as Escape would, with the
// sound of a refused key, and the binding stays as it was.
TEST_F(ControllerKeyHandling, AButtonEndsAKeyCaptureAndLeavesTheBinding) {
  for (const PadButton button : Buttons) {
    On(ScreenKeysSetup, ItemLeft);
    Press(VkReturn);
    ASSERT_EQ(Settings.KeyToSet, 1);
    TakeCalls();
    Push(button);
    EXPECT_EQ(Settings.KeyToSet, 0);
    EXPECT_EQ(Settings.KeyLeft, VkLeft);
    EXPECT_EQ(Settings.Screen, ScreenKeysSetup);
    EXPECT_EQ(TakeCalls(), Calls{"sound 4"}) << "button " << int(button);
  }
}

// A name with a controller alone: Up and Down step the last character along space, A-Z, 0-9
// and round (on an empty name they add an A first), Right adds an A up to eight characters,
// Left takes one back, south stores the name; each change sounds as typing does.
TEST_F(ControllerKeyHandling, ANameIsEnteredWithAControllerAlone) {
  const struct {
    std::string Before;
    PadButton Button;
    std::string After;
  } cases[] = {
      {"", PadButton::Up, "A"},        {"", PadButton::Down, "A"},      {"", PadButton::Right, "A"},
      {"A", PadButton::Up, "B"},       {"A", PadButton::Down, " "},     {" ", PadButton::Down, "9"},
      {"9", PadButton::Up, " "},       {"QZ", PadButton::Up, "Q0"},     {"Q0", PadButton::Down, "QZ"},
      {"B\t", PadButton::Up, "BA"},    // other white space typed on the keyboard counts as the space
      {"AB", PadButton::Right, "ABA"}, {"ABCDEFGH", PadButton::Right, "ABCDEFGH"},  // at most eight
      {"ABCDEFGH", PadButton::Up, "ABCDEFGI"}, {"AB", PadButton::Left, "A"}, {"", PadButton::Left, ""},
      {"AB", PadButton::East, "AB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "button " << int(c.Button) << " after \"" << c.Before << "\"");
    Settings.Screen = ScreenCongratulations;
    Settings.HighScoreNames[5] = c.Before;
    Push(c.Button);
    EXPECT_EQ(Settings.HighScoreNames[5], c.After);
    EXPECT_EQ(Settings.Screen, ScreenCongratulations);
    EXPECT_EQ(TakeCalls(), c.After != c.Before ? Calls{"sound 4"} : Calls{});
  }

  Settings.Score = 70;
  Settings.HighScoreNames[5] = "SOFA";
  Push(PadButton::South);
  EXPECT_EQ(Settings.Screen, ScreenHighScores);
  EXPECT_EQ(Settings.HighScoreNames[0], "SOFA");
  EXPECT_EQ(Settings.HighScores[0], 70u);
}

}  // namespace
