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

class ControllerKeyHandling : public UiGame {};

// A binding stays a keyboard key: any button ends the capture as Escape would, with the
// sound of a refused key, and the binding stays as it was.
TEST_F(ControllerKeyHandling, AButtonEndsAKeyCaptureAndLeavesTheBinding) {
  for (const PadButton button : Buttons) {
    On(ScreenKeysSetup, ItemLeft);
    Press(VkReturn);
    ASSERT_EQ(Settings.KeyToSet, 1);
    TakeCalls();
    Press(ControllerKey(Settings, button));
    EXPECT_EQ(Settings.KeyToSet, 0);
    EXPECT_EQ(Settings.KeyLeft, VkLeft);
    EXPECT_EQ(Settings.Screen, ScreenKeysSetup);
    EXPECT_EQ(TakeCalls(), Calls{"sound 4"}) << "button " << int(button);
  }
}

}  // namespace
