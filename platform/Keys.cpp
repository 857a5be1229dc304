#include "platform/Keys.h"

#include <SDL.h>

#include <utility>

namespace platform {

namespace {

using Code = std::pair<int32_t, uint16_t>;

constexpr Code Places[] = {
    {SDL_SCANCODE_0, '0'}, {SDL_SCANCODE_KP_0, 96}, {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_COMMA, 108}, {SDL_SCANCODE_KP_MINUS, 109}, {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111}, {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_RETURN2, 13},
    {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_CLEAR, 12}, {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16}, {SDL_SCANCODE_LCTRL, 17}, {SDL_SCANCODE_RCTRL, 17}, {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_RALT, 18}, {SDL_SCANCODE_MODE, 18} /* AltGr on some layouts */, {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38}, {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_SELECT, 41},
    {SDL_SCANCODE_EXECUTE, 43}, {SDL_SCANCODE_PRINTSCREEN, 44}, {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_HELP, 47}, {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_SLEEP, 95}, {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_AC_BACK, 166}, {SDL_SCANCODE_AC_FORWARD, 167}, {SDL_SCANCODE_AC_REFRESH, 168},
    {SDL_SCANCODE_AC_STOP, 169}, {SDL_SCANCODE_AC_SEARCH, 170}, {SDL_SCANCODE_AC_BOOKMARKS, 171},
    {SDL_SCANCODE_AC_HOME, 172}, {SDL_SCANCODE_MUTE, 173}, {SDL_SCANCODE_AUDIOMUTE, 173},
    {SDL_SCANCODE_VOLUMEDOWN, 174}, {SDL_SCANCODE_VOLUMEUP, 175}, {SDL_SCANCODE_AUDIONEXT, 176},
    {SDL_SCANCODE_AUDIOPREV, 177}, {SDL_SCANCODE_AUDIOSTOP, 178}, {SDL_SCANCODE_AUDIOPLAY, 179},
    {SDL_SCANCODE_MAIL, 180}, {SDL_SCANCODE_MEDIASELECT, 181}, {SDL_SCANCODE_APP1, 182}, {SDL_SCANCODE_APP2, 183},
};

// The punctuation keys by the character they type, and by their place on a US keyboard.
constexpr Code Characters[] = {{';', 186}, {'=', 187}, {',', 188}, {'-', 189}, {'.', 190}, {'/', 191},
                               {'`', 192}, {'[', 219}, {'\\', 220}, {']', 221}, {'\'', 222}};
constexpr Code UsPlaces[] = {
    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191}, {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},  // the extra key beside left Shift
};

template <std::size_t N>
uint16_t Find(const Code (&table)[N], int32_t key) {
  for (const auto& [from, code] : table)
    if (from == key) return code;
  return 0;
}

// The code of key in a run of keys, first to last, whose codes follow one another from firstCode.
uint16_t InRun(int32_t key, int32_t first, int32_t last, int firstCode) {
  return key >= first && key <= last ? static_cast<uint16_t>(firstCode + key - first) : 0;
}

}  // namespace

uint16_t VirtualKey(int scancode, int32_t keycode) {
  // The digit row is 1..9 then 0 in scancode order.
  for (const uint16_t code : {InRun(scancode, SDL_SCANCODE_F1, SDL_SCANCODE_F12, 112),
                              InRun(scancode, SDL_SCANCODE_F13, SDL_SCANCODE_F24, 124),
                              InRun(scancode, SDL_SCANCODE_1, SDL_SCANCODE_9, '1'),
                              InRun(scancode, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9, 97), Find(Places, scancode),
                              // Character keys by what the layout puts on them: on an AZERTY
                              // keyboard the key beside Tab types A and is the A key.
                              InRun(keycode, 'a', 'z', 'A'), Find(Characters, keycode),
                              // Keys whose layout types something else (another script, accented
                              // letters) keep the code of their place on a US keyboard, so that
                              // every key can still be bound.
                              InRun(scancode, SDL_SCANCODE_A, SDL_SCANCODE_Z, 'A'), Find(UsPlaces, scancode)})
    if (code != 0) return code;
  return 0;
}

}  // namespace platform
