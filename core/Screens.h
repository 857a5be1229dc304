// Screen numbers, menu items and effect indices shared by every part of the game.
#pragma once
#include <cstdint>

constexpr uint8_t ScreenTitle = 2;
constexpr uint8_t ScreenMainMenu = 3;
constexpr uint8_t ScreenPlaySetup = 4;
constexpr uint8_t ScreenGameSetup = 5;
constexpr uint8_t ScreenKeysSetup = 6;
constexpr uint8_t ScreenGameMenu = 7;
constexpr uint8_t ScreenPlaying = 8;
constexpr uint8_t ScreenGameOver = 9;
constexpr uint8_t ScreenExit = 10;
constexpr uint8_t ScreenCongratulations = 11;
constexpr uint8_t ScreenHighScores = 12;

// One numbering for the items of every menu.
constexpr uint8_t ItemStartGame = 0;
constexpr uint8_t ItemPlaySetup = 1;
constexpr uint8_t ItemGameSetup = 2;
constexpr uint8_t ItemExit = 3;
constexpr uint8_t ItemLevel = 4;
constexpr uint8_t ItemMode = 5;
constexpr uint8_t ItemHeight = 6;
constexpr uint8_t ItemWidth = 7;
constexpr uint8_t ItemKeys = 8;
constexpr uint8_t ItemSound = 9;
constexpr uint8_t ItemMusic = 10;
constexpr uint8_t ItemLeft = 11;
constexpr uint8_t ItemRight = 12;
constexpr uint8_t ItemUp = 13;
constexpr uint8_t ItemResumeGame = 14;
constexpr uint8_t ItemRestartGame = 15;

// Indices for PlayAudio: 0..9 are effects, 10 is the music.
constexpr int SoundMenuUpDown = 0;
constexpr int SoundMenuLeftRight = 1;
constexpr int SoundMenuIn = 2;
constexpr int SoundMenuOut = 3;
constexpr int SoundMenuChar = 4;
constexpr int SoundPlayLeftRight = 5;
constexpr int SoundPlayUp = 6;
constexpr int SoundPlayLine = 7;
constexpr int SoundPlayMove = 8;
constexpr int SoundPlayLevel = 9;
constexpr int SoundMusic = 10;
