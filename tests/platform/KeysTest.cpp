#include "platform/Keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>

namespace {

using platform::VirtualKey;

// SDL's own keymap, which is the US layout under the headless driver.
class Keys : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
  static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  static uint16_t Key(SDL_Scancode scancode) { return VirtualKey(scancode, SDL_GetKeyFromScancode(scancode)); }
};

TEST_F(Keys, LettersDigitsAndTheKeysMenusUse) {
  for (int i = 0; i < 26; ++i) {
    const auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
    EXPECT_EQ(Key(scancode), 65 + i) << SDL_GetScancodeName(scancode);
  }
  EXPECT_EQ(Key(SDL_SCANCODE_0), 48);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i)), 49 + i);

  EXPECT_EQ(Key(SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(Key(SDL_SCANCODE_UP), 38);
  EXPECT_EQ(Key(SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(Key(SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(Key(SDL_SCANCODE_SPACE), 32);
  EXPECT_EQ(Key(SDL_SCANCODE_RETURN), 13);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(Key(SDL_SCANCODE_ESCAPE), 27);
  EXPECT_EQ(Key(SDL_SCANCODE_BACKSPACE), 8);
  EXPECT_EQ(Key(SDL_SCANCODE_TAB), 9);
}

TEST_F(Keys, BothShiftCtrlAndAltKeysGiveOneCode) {
  EXPECT_EQ(Key(SDL_SCANCODE_LSHIFT), 16);
  EXPECT_EQ(Key(SDL_SCANCODE_RSHIFT), 16);
  EXPECT_EQ(Key(SDL_SCANCODE_LCTRL), 17);
  EXPECT_EQ(Key(SDL_SCANCODE_RCTRL), 17);
  EXPECT_EQ(Key(SDL_SCANCODE_LALT), 18);
  EXPECT_EQ(Key(SDL_SCANCODE_RALT), 18);
  // AltGr reported with the layout's mode-switch keycode is still Alt.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_RALT, SDLK_MODE), 18);
}

TEST_F(Keys, KeypadKeepsItsCodesWhateverNumLock) {
  // With Num Lock off the layout turns the keypad into navigation keys: End, Down, Insert...
  const SDL_Keycode numLockOff[10] = {SDLK_INSERT, SDLK_END,  SDLK_DOWN,  SDLK_PAGEDOWN, SDLK_LEFT,
                                      SDLK_CLEAR,  SDLK_RIGHT, SDLK_HOME, SDLK_UP,       SDLK_PAGEUP};
  const SDL_Scancode keypad[10] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3,
                                   SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7,
                                   SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9};
  for (int digit = 0; digit < 10; ++digit) {
    EXPECT_EQ(Key(keypad[digit]), 96 + digit) << "Num Lock on, keypad " << digit;
    EXPECT_EQ(VirtualKey(keypad[digit], numLockOff[digit]), 96 + digit) << "Num Lock off, keypad " << digit;
  }
  EXPECT_EQ(Key(SDL_SCANCODE_KP_PERIOD), 110);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_KP_PERIOD, SDLK_DELETE), 110);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_MULTIPLY), 106);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_MINUS), 109);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_DIVIDE), 111);
  // The keypad's own navigation codes never leak into the main block's: the editing keys
  // beside the keypad keep theirs.
  EXPECT_EQ(Key(SDL_SCANCODE_INSERT), 45);
  EXPECT_EQ(Key(SDL_SCANCODE_DELETE), 46);
  EXPECT_EQ(Key(SDL_SCANCODE_HOME), 36);
  EXPECT_EQ(Key(SDL_SCANCODE_END), 35);
  EXPECT_EQ(Key(SDL_SCANCODE_PAGEUP), 33);
  EXPECT_EQ(Key(SDL_SCANCODE_PAGEDOWN), 34);
}

TEST_F(Keys, FunctionLockAndPunctuationKeys) {
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i)), 112 + i);
  const std::pair<SDL_Scancode, uint16_t> usual[] = {
      {SDL_SCANCODE_F13, 124},       {SDL_SCANCODE_F24, 135},          {SDL_SCANCODE_CAPSLOCK, 20},
      {SDL_SCANCODE_PAUSE, 19},      {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
      {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187},       {SDL_SCANCODE_COMMA, 188},
      {SDL_SCANCODE_MINUS, 189},     {SDL_SCANCODE_PERIOD, 190},       {SDL_SCANCODE_SLASH, 191},
      {SDL_SCANCODE_GRAVE, 192},     {SDL_SCANCODE_LEFTBRACKET, 219},  {SDL_SCANCODE_BACKSLASH, 220},
      {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_APOSTROPHE, 222}};
  for (const auto& [scancode, code] : usual) EXPECT_EQ(Key(scancode), code) << SDL_GetScancodeName(scancode);
}

TEST_F(Keys, CharacterKeysFollowTheLayout) {
  // AZERTY: the key beside Tab types A, the one beside Caps Lock types Q.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_Q, 'a'), 'A');
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_A, 'q'), 'Q');
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_SEMICOLON, 'm'), 'M');
  // A key of another script keeps the code of its place.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_F, 0x0430), 'F');  // Cyrillic a
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_SEMICOLON, 0x00F6), 186);  // o with diaeresis
  // The digit row stays digits even where the layout types symbols there.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_1, '&'), '1');
}

TEST_F(Keys, UnknownKeysHaveNoCode) {
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN), 0);
  EXPECT_EQ(Key(SDL_SCANCODE_KP_EQUALSAS400), 0);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_UNKNOWN, 0x20AC), 0);  // euro sign
}

TEST_F(Keys, NoTwoKeysOfTheMainBlockShareACode) {
  // Left and right modifiers and the two Enter keys share on purpose; everything else that
  // the game could tell apart must stay apart.
  std::set<uint16_t> seen;
  const SDL_Scancode shared[] = {SDL_SCANCODE_RSHIFT, SDL_SCANCODE_RCTRL, SDL_SCANCODE_RALT, SDL_SCANCODE_KP_ENTER,
                                 SDL_SCANCODE_RETURN2, SDL_SCANCODE_MUTE, SDL_SCANCODE_MODE,
                                 SDL_SCANCODE_NONUSHASH};
  for (int s = SDL_SCANCODE_A; s < SDL_NUM_SCANCODES; ++s) {
    const auto scancode = static_cast<SDL_Scancode>(s);
    if (std::find(std::begin(shared), std::end(shared), scancode) != std::end(shared)) continue;
    const uint16_t code = Key(scancode);
    if (code == 0) continue;
    EXPECT_TRUE(seen.insert(code).second) << SDL_GetScancodeName(scancode) << " repeats code " << code;
  }
}

}  // namespace
