// A game for the key-handling tests: a settings record whose writes, and a high-score store
// whose reads and writes, are recorded in the host's call list beside the sounds and the clock,
// so that a test sees every effect of a key press and its order. Nothing touches the disk.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/Registry.h"
#include "support/RecordingHost.h"
#include "ui/HighScores.h"
#include "ui/KeyDispatch.h"

// Records each stored setting as "write <value name> <value>".
class RecordingWriter final : public ISettingsWriter {
 public:
  explicit RecordingWriter(std::vector<std::string>& calls) : Calls(calls) {}
  void WriteSetting(TStoredSetting setting, int32_t value) override {
    static const char* const names[] = {"Left", "Right", "Up", "Width", "Height", "Flags", "Level"};
    Calls.push_back("write " + std::string(names[static_cast<int>(setting)]) + " " + std::to_string(value));
  }
  std::vector<std::string>& Calls;
};

// Tables in memory, by key; records "read <table>" and "change <table>" with the key's last part.
class MemoryScoreStore final : public IHighScoreStore {
 public:
  explicit MemoryScoreStore(std::vector<std::string>& calls) : Calls(calls) {}
  bool ReadTable(const std::string& key, THighScoreTable& table) override {
    Calls.push_back("read " + Table(key));
    if (Damaged) throw ERegistryException("The store file is damaged");
    if (Refuse) return false;
    table = Tables[Table(key)];
    return true;
  }
  THighScoreTable ChangeTable(const std::string& key, const std::function<void(THighScoreTable&)>& change) override {
    Calls.push_back("change " + Table(key));
    if (Damaged) throw ERegistryException("The store file is damaged");
    if (Refuse) throw ERegistryException("Failed to set data for 's1': the key cannot be created");
    THighScoreTable table = Tables[Table(key)];
    change(table);
    return Tables[Table(key)] = table;
  }
  static std::string Table(const std::string& key) { return key.substr(HighScoresKeyPath.size() + 1); }

  std::map<std::string, THighScoreTable> Tables;  // by "7x10", "7x10a", ...
  bool Refuse = false;                             // a key that can be neither opened nor created
  bool Damaged = false;                            // a store file that cannot be read
  std::vector<std::string>& Calls;
};

class UiGame : public ::testing::Test {
 protected:
  void SetUp() override {
    Game.TickCount = [this] { return ++Ticks; };
    Settings.Writer = &Writer;
    Settings.KeyLeft = VkLeft;
    Settings.KeyRight = VkRight;
    Settings.KeyUp = VkUp;
    Settings.WidthSetting = 7;
    Settings.HeightSetting = 10;
    Settings.Flags = 0x55;  // effects 5, music 5, Standard
  }

  void Press(uint16_t key) { ScreenKeyDown(TKeyContext{Game, Scores, SoundAvailable, MusicAvailable}, key); }
  void On(TScreen screen, TMenuItem item) {
    Settings.Screen = screen;
    Settings.MenuItem = item;
  }
  // What the last key presses asked for, and a fresh list for the next ones.
  std::vector<std::string> TakeCalls() { return std::exchange(Host.Calls, {}); }

  TSettings Settings;
  RecordingHost Host;
  TGame Game{Settings, Host};
  RecordingWriter Writer{Host.Calls};
  MemoryScoreStore Scores{Host.Calls};
  bool SoundAvailable = true;
  bool MusicAvailable = true;
  uint32_t Ticks = 1000;
};
