// The game-state record: board grids, counters, settings and screen state.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Screens.h"
#include "core/SettingsWriter.h"

// Play-area sizes a game may have; the grids always hold the largest.
constexpr int MinAreaWidth = 5;
constexpr int MaxAreaWidth = 10;
constexpr int MinAreaHeight = 7;
constexpr int MaxAreaHeight = 14;
// Levels run from 0 to TopLevel, each with its own tick period.
constexpr uint16_t TopLevel = 9;

// Colour components of a bubble; black is the empty set.
constexpr uint8_t ComponentRed = 1;
constexpr uint8_t ComponentGreen = 2;
constexpr uint8_t ComponentBlue = 4;

// A bubble: its colour is a 3-bit set of components (0 = black).
class TBubble {
 public:
  explicit TBubble(uint8_t colour = 0) : Colour(colour & 7) {}
  void SetColour(uint8_t colour) { Colour = colour & 7; }
  uint8_t GetColour() const { return Colour; }
  // Mask 0 asks whether the bubble is black; other masks whether any component is shared.
  bool HasComponents(uint8_t mask) const { return mask == 0 ? Colour == 0 : (Colour & mask) != 0; }
  void RemoveComponents(uint8_t mask) { Colour &= static_cast<uint8_t>(~mask & 7); }

 private:
  uint8_t Colour;
};

// An area tile: 0 plain, 1..8 the A-tiles (A-black, A-red, A-green, A-blue,
// A-red+green, A-red+blue, A-green+blue, A-red+green+blue).
class TArea {
 public:
  explicit TArea(uint8_t value = 0) : Value(value) {}
  void SetValue(uint8_t value) { Value = value; }
  uint8_t GetValue() const { return Value; }

 private:
  uint8_t Value;
};

// Column-major grids, [column][row], row 0 at the top; each grid owns its cells.
using TBubbleGrid = std::array<std::array<std::unique_ptr<TBubble>, MaxAreaHeight>, MaxAreaWidth>;
using TAreaGrid = std::array<std::array<std::unique_ptr<TArea>, MaxAreaHeight>, MaxAreaWidth>;

// Selectors of GetFlag and ChangeFlags, and of GetAreaSize and ChangeAreaSize.
enum TFlagField : int { FlagSoundVolume = 0, FlagMusicVolume = 1, FlagGameMode = 2 };
// The sound and music levels run from 0 (off) to MaxVolume; the four bits of each can hold
// more only in a hand-edited store.
constexpr uint32_t MaxVolume = 10;
enum TAreaSide : int { SideWidth = 0, SideHeight = 1 };

// The game-state record: settings, the high-score table, the board and the counters of the
// current game, and the screen state. It reads nothing: the settings store fills it, and each
// change made through the setters below is written at once through the attached writer.
class TSettings {
 public:
  TSettings();
  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  // --- Board (core/Board.cpp) ---
  void ClearBoard();
  void AddScore(uint32_t amount);
  void ResetScore();
  uint32_t GetScore() const { return Score; }
  uint32_t GetBestScore() const { return BestScore; }

  // --- Settings (core/Settings.cpp) ---
  void SetKey(int slot, uint16_t code);
  uint32_t KeyGlyphIndex(int slot) const;
  uint16_t GetAreaSize(int which) const;
  void ChangeAreaSize(int which, int delta);
  uint32_t GetFlag(int which) const;
  void ChangeFlags(int which, int value);
  uint16_t GetStartLevel() const;
  void SetStartLevel(int16_t n);
  uint16_t GetLevel() const;
  uint16_t SetLevel(uint16_t n);

  // Receives every change of a stored setting; null writes nothing.
  ISettingsWriter* Writer = nullptr;

  // Settings.
  std::string Path;
  uint16_t KeyLeft = 0, KeyRight = 0, KeyUp = 0;
  uint16_t HeightSetting = 0, WidthSetting = 0;
  int16_t StartLevel = 0;
  uint16_t Flags = 0;

  // High-score table: entries 0..4 stored, entry 5 the candidate being typed.
  std::array<std::string, 6> HighScoreNames;
  std::array<uint32_t, 6> HighScores{};

  // Board.
  TBubbleGrid Bubbles;
  TAreaGrid Areas;

  // Counters of the current game.
  uint32_t Score = 0;
  uint32_t BestScore = 0;
  uint16_t Level = 0;
  uint16_t LevelBubbles = 0;
  std::array<uint16_t, 10> LevelIntervals{};
  int16_t FullRowAbove = -1;

  // Screen state.
  TScreen Screen = ScreenNone;
  TMenuItem MenuItem = ItemStartGame;
  TScreen ReturnScreen = ScreenNone;
  uint8_t KeyToSet = 0;

 private:
  void Write(TStoredSetting setting, int32_t value);
};
