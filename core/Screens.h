// Screen numbers, menu items and effect indices shared by every part of the game. The numbers
// are the game's own: the screen and item numbers are compared and stored as bytes.
#pragma once
#include <cstdint>

// The screen on show. 0 exists only until start-up has built everything and shown the title.
enum TScreen : uint8_t {
  ScreenNone = 0,
  ScreenTitle = 2,
  ScreenMainMenu = 3,
  ScreenPlaySetup = 4,
  ScreenGameSetup = 5,
  ScreenKeysSetup = 6,
  ScreenGameMenu = 7,
  ScreenPlaying = 8,
  ScreenGameOver = 9,
  ScreenExit = 10,
  ScreenCongratulations = 11,
  ScreenHighScores = 12,
};

// One numbering for the items of every menu.
enum TMenuItem : uint8_t {
  ItemStartGame = 0,
  ItemPlaySetup = 1,
  ItemGameSetup = 2,
  ItemExit = 3,
  ItemLevel = 4,
  ItemMode = 5,
  ItemHeight = 6,
  ItemWidth = 7,
  ItemKeys = 8,
  ItemSound = 9,
  ItemMusic = 10,
  ItemLeft = 11,
  ItemRight = 12,
  ItemUp = 13,
  ItemResumeGame = 14,
  ItemRestartGame = 15,
};

// Indices for PlayAudio: 0..9 are effects, 10 is the music.
enum TSoundIndex : int {
  SoundMenuUpDown = 0,
  SoundMenuLeftRight = 1,
  SoundMenuIn = 2,
  SoundMenuOut = 3,
  SoundMenuChar = 4,
  SoundPlayLeftRight = 5,
  SoundPlayUp = 6,
  SoundPlayLine = 7,
  SoundPlayMove = 8,
  SoundPlayLevel = 9,
  SoundMusic = 10,
};
