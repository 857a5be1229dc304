#include <gtest/gtest.h>

#include "core/Area.h"
#include "core/KeyTable.h"
#include "platform/Registry.h"
#include "support/TempStore.h"
#include "ui/SettingsStore.h"

namespace {

std::string KeyOf(const std::string& subkey) {
  return std::string(SettingsKeyPath) + (subkey.empty() ? "" : "\\" + subkey);
}

void Put(const std::string& subkey, const std::string& name, int32_t value) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(KeyOf(subkey), true));
  registry.WriteInteger(name, value);
}

void PutText(const std::string& subkey, const std::string& name, const std::string& value) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(KeyOf(subkey), true));
  registry.WriteString(name, value);
}

int32_t Stored(const std::string& subkey, const std::string& name) {
  TRegistry registry;
  if (!registry.OpenKey(KeyOf(subkey), false)) return -1;
  return registry.ReadInteger(name);
}

// A complete store as the install step leaves it, but with the given flags.
void PutAll(int32_t flags = 0x68) {
  PutText("", "Path", "/usr/share/huebloc");
  Put("", "Flags", flags);
  Put("", "Level", 0);
  Put("Keys", "Left", 37);
  Put("Keys", "Right", 39);
  Put("Keys", "Up", 38);
  Put("GamePlayArea", "Height", 14);
  Put("GamePlayArea", "Width", 7);
}

// A settings record filled from the store, writing every change back to it, as the game runs.
struct StoredSettings : TSettings {
  StoredSettings() {
    Store.Load(*this);
    Writer = &Store;
  }
  TSettingsStore Store;
};

std::string ConstructionError() {
  try {
    StoredSettings settings;
  } catch (const ERegistryException& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace

TEST(SettingsStore, ReadsEverySettingAtConstruction) {
  TempStore store;
  PutAll(static_cast<int32_t>(0x7654FD39));  // upper 16 bits dropped; bits 10-15 set; mode 1
  PutText("", "Path", "/a;/b c");
  Put("", "Level", 4);
  Put("Keys", "Left", 0x10041);  // keys keep their low 16 bits: 'A'
  Put("GamePlayArea", "Width", 6);
  StoredSettings settings;
  EXPECT_EQ(settings.Path, "/a;/b c");
  EXPECT_EQ(settings.Flags, 0xFD39);
  EXPECT_EQ(settings.GetFlag(0), 9u);
  EXPECT_EQ(settings.GetFlag(1), 3u);
  EXPECT_EQ(settings.GetFlag(2), 1u);
  EXPECT_EQ(settings.GetStartLevel(), 4);
  EXPECT_EQ(settings.GetLevel(), 4);
  EXPECT_EQ(settings.KeyLeft, 65);
  EXPECT_EQ(settings.KeyRight, 39);
  EXPECT_EQ(settings.KeyUp, 38);
  EXPECT_EQ(settings.GetAreaSize(0), 6);
  EXPECT_EQ(settings.GetAreaSize(1), 14);
  EXPECT_EQ(settings.BestScore, 0u);
}

TEST(SettingsStore, ChangesSurviveTheNextStart) {
  TempStore store;
  PutAll();
  {
    StoredSettings settings;
    settings.SetKey(KeySlotUp, 'W');
    settings.ChangeAreaSize(0, +1);
    settings.ChangeAreaSize(1, -1);
    settings.ChangeFlags(1, +1);
    settings.ChangeFlags(2, 1);
    settings.SetStartLevel(3);
  }
  StoredSettings again;
  EXPECT_EQ(again.KeyUp, 'W');
  EXPECT_EQ(again.WidthSetting, 8);
  EXPECT_EQ(again.HeightSetting, 13);
  EXPECT_EQ(again.Flags, 0x0178);
  EXPECT_EQ(again.StartLevel, 3);
  EXPECT_EQ(again.Path, "/usr/share/huebloc");
}

TEST(SettingsStore, AbsentKeysLeaveZerosAndLaterWritesFail) {
  TempStore store;
  StoredSettings settings;
  EXPECT_TRUE(settings.Path.empty());
  EXPECT_EQ(settings.KeyLeft + settings.KeyRight + settings.KeyUp, 0);
  EXPECT_EQ(settings.WidthSetting + settings.HeightSetting + settings.Flags + settings.Level, 0);
  EXPECT_EQ(settings.KeyGlyphIndex(KeySlotLeft), 15u);
  EXPECT_FALSE(std::filesystem::exists(store.ConfigHome()));  // nothing written, no defaults

  try {
    settings.ChangeAreaSize(0, +1);
    ADD_FAILURE() << "a write to an absent key succeeded";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to set data for 'Width': " + store.SettingsFile().string() +
                                             ": the key '" + KeyOf("GamePlayArea") + "' does not exist");
  }
  EXPECT_EQ(settings.WidthSetting, 10);  // the member keeps its new value
}

TEST(SettingsStore, AbsentValueOrWrongTypeStopsConstruction) {
  TempStore store;
  Put("Keys", "Left", 37);
  Put("Keys", "Up", 38);
  EXPECT_EQ(ConstructionError(), "Failed to get data for 'Right'");
  PutAll();
  PutText("GamePlayArea", "Width", "7");
  EXPECT_EQ(ConstructionError(), "Invalid data type for 'Width'");
  PutAll();
  Put("", "Path", 5);
  EXPECT_EQ(ConstructionError(), "Invalid data type for 'Path'");

  // Only "Path" may be missing.
  std::string text = TempStore::ReadText(store.SettingsFile());
  const std::size_t path = text.find("\"Path\"");
  text.erase(path, text.find('\n', path) + 1 - path);
  TempStore::WriteText(store.SettingsFile(), text);
  EXPECT_EQ(ConstructionError(), "(no error)");
  text.erase(text.find("\"Flags\""), 22);
  TempStore::WriteText(store.SettingsFile(), text);
  EXPECT_EQ(ConstructionError(), "Failed to get data for 'Flags'");
}

TEST(SettingsStore, DamagedStoreStopsConstructionNamingFileAndLine) {
  TempStore store;
  TempStore::WriteText(store.SettingsFile(), "Windows Registry Editor Version 5.00\n\n\"Width\"=dword:7\n");
  const std::string message = ConstructionError();
  EXPECT_NE(message.find(store.SettingsFile().string()), std::string::npos) << message;
  EXPECT_NE(message.find("line 3"), std::string::npos) << message;
}

TEST(SettingsStore, BindingAKeyOfAnotherActionSwapsThemAndWritesAllThree) {
  TempStore store;
  PutAll();
  StoredSettings settings;
  settings.SetKey(KeySlotLeft, 38);  // Up's key
  EXPECT_EQ(settings.KeyLeft, 38);
  EXPECT_EQ(settings.KeyUp, 37);
  EXPECT_EQ(settings.KeyRight, 39);
  EXPECT_EQ(Stored("Keys", "Left"), 38);
  EXPECT_EQ(Stored("Keys", "Up"), 37);

  Put("Keys", "Right", 90);  // changed behind its back: a write of all three shows
  settings.SetKey(KeySlotUp, 'A');
  EXPECT_EQ(Stored("Keys", "Up"), 'A');
  EXPECT_EQ(Stored("Keys", "Right"), 39);
  EXPECT_EQ(Stored("Keys", "Left"), 38);

  settings.SetKey(KeySlotRight, 38);  // Left's key
  EXPECT_EQ(settings.KeyRight, 38);
  EXPECT_EQ(settings.KeyLeft, 39);
  EXPECT_EQ(settings.KeyUp, 'A');
}

TEST(SettingsStore, KeysOutsideTheTableChangeAndWriteNothing) {
  TempStore store;
  PutAll();
  StoredSettings settings;
  Put("Keys", "Left", 90);  // any write by SetKey would put 37 back
  // Enter, Escape, F1, keypad +, Tab, digit 1, no key at all; and a slot that does not exist.
  for (const uint16_t code : std::initializer_list<uint16_t>{13, 27, 112, 107, 9, 49, 0})
    settings.SetKey(KeySlotLeft, code);
  settings.SetKey(5, 'A');
  settings.SetKey(9, 'A');
  EXPECT_EQ(settings.KeyLeft, 37);
  EXPECT_EQ(settings.KeyRight, 39);
  EXPECT_EQ(settings.KeyUp, 38);
  EXPECT_EQ(Stored("Keys", "Left"), 90);
}

TEST(SettingsStore, GlyphIndexIsTheKeysPlaceInTheTable) {
  TempStore store;
  StoredSettings settings;
  const struct {
    uint16_t Code;
    uint32_t Glyph;
  } cases[] = {{38, 0},  {40, 1},  {39, 2},  {37, 3},  {32, 4},  {96, 5},  {105, 14}, {0, 15},
               {65, 20}, {90, 45}, {16, 46}, {17, 47}, {18, 48}, {13, 15}, {300, 15}};
  for (const auto& c : cases) {
    settings.KeyUp = c.Code;
    EXPECT_EQ(settings.KeyGlyphIndex(KeySlotUp), c.Glyph) << c.Code;
  }
  settings.KeyLeft = 'B';
  settings.KeyRight = 'C';
  EXPECT_EQ(settings.KeyGlyphIndex(KeySlotLeft), 21u);
  EXPECT_EQ(settings.KeyGlyphIndex(KeySlotRight), 22u);
  EXPECT_EQ(settings.KeyGlyphIndex(3), KeyGlyphUnbound);
}

TEST(SettingsStore, AreaSizeWrapsAroundAndIsWritten) {
  TempStore store;
  PutAll();
  StoredSettings settings;
  const struct {
    int Which;
    uint16_t From;
    int Delta;
    uint16_t To;
  } cases[] = {{0, 10, +1, 5}, {0, 5, -1, 10}, {0, 0, +1, 10}, {0, 0, -1, 5}, {0, 7, +1, 8}, {0, 7, -1, 6},
               {1, 14, +1, 7}, {1, 7, -1, 14}, {1, 0, +1, 14}, {1, 0, -1, 7}, {1, 9, +1, 10}, {0, 65535, +1, 10}};
  for (const auto& c : cases) {
    (c.Which == 0 ? settings.WidthSetting : settings.HeightSetting) = c.From;
    settings.ChangeAreaSize(c.Which, c.Delta);
    EXPECT_EQ(settings.GetAreaSize(c.Which), c.To) << c.Which << ": " << c.From << " + " << c.Delta;
    EXPECT_EQ(Stored("GamePlayArea", c.Which == 0 ? "Width" : "Height"), c.To);
  }
  EXPECT_EQ(settings.GetAreaSize(2), 0);
}

TEST(SettingsStore, FlagsChangeOneFieldAndKeepTheUnusedBits) {
  TempStore store;
  PutAll(0xFC68);  // bits 10-15 set, music 6, sound 8, mode 0
  StoredSettings settings;
  settings.ChangeFlags(0, +1);
  EXPECT_EQ(settings.Flags, 0xFC69);
  EXPECT_EQ(Stored("", "Flags"), 0xFC69);  // zero-extended
  settings.ChangeFlags(1, -1);
  EXPECT_EQ(Stored("", "Flags"), 0xFC59);
  settings.ChangeFlags(2, 1);
  EXPECT_EQ(Stored("", "Flags"), 0xFD59);
  EXPECT_EQ(settings.GetFlag(2), 1u);
  settings.ChangeFlags(2, 0);
  EXPECT_EQ(Stored("", "Flags"), 0xFC59);
  EXPECT_EQ(settings.GetFlag(0), 9u);
  EXPECT_EQ(settings.GetFlag(1), 5u);

  // A volume never leaves 0..10, whatever the caller or the store says.
  settings.Flags = 0xFC0F;
  settings.ChangeFlags(0, -1);
  EXPECT_EQ(settings.Flags, 0xFC0A);
  settings.ChangeFlags(0, +1);
  EXPECT_EQ(settings.Flags, 0xFC0A);
  settings.Flags = 0x0000;
  settings.ChangeFlags(1, -1);
  EXPECT_EQ(settings.Flags, 0x0000);
}

TEST(SettingsStore, StartLevelWrapsAndLevelStaysWithinTheIntervals) {
  TempStore store;
  PutAll();
  Put("", "Level", -1);  // a stored level may be anything
  StoredSettings settings;
  EXPECT_EQ(settings.StartLevel, -1);
  EXPECT_EQ(settings.GetLevel(), 9);

  settings.SetLevel(2);
  settings.SetStartLevel(10);
  EXPECT_EQ(settings.GetStartLevel(), 0);
  EXPECT_EQ(Stored("", "Level"), 0);
  settings.SetStartLevel(-1);
  EXPECT_EQ(settings.GetStartLevel(), 9);
  EXPECT_EQ(Stored("", "Level"), 9);
  settings.SetStartLevel(5);
  EXPECT_EQ(Stored("", "Level"), 5);
  EXPECT_EQ(settings.GetLevel(), 2);  // the start level leaves the current level alone

  EXPECT_EQ(settings.SetLevel(9), 250);
  EXPECT_EQ(settings.SetLevel(0), 1000);
  EXPECT_EQ(settings.SetLevel(7), 350);
  EXPECT_EQ(settings.GetLevel(), 7);
  EXPECT_EQ(settings.SetLevel(10), 250);
  EXPECT_EQ(settings.GetLevel(), 9);
  EXPECT_EQ(settings.SetLevel(65535), 250);
}

// The display choices are read as stored, or as nothing when absent or not integers; a write
// creates "Display" below the settings key, but never the settings key itself.
TEST(SettingsStore, DisplayChoicesAreKeptBesideTheSettings) {
  for (const bool installed : {true, false}) {
    TempStore store;
    if (installed) PutAll();
    StoredSettings settings;
    TDisplayChoices choices = settings.Store.LoadDisplay();
    EXPECT_FALSE(choices.FullScreen || choices.Scale) << "nothing stored";
    if (!installed) {
      try {
        settings.Store.WriteDisplay(FullScreenValue, 1);
        ADD_FAILURE() << "a display choice was written without the settings key";
      } catch (const ERegistryException& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Failed to set data for 'Fullscreen'", 0), 0u) << error.what();
      }
      EXPECT_FALSE(std::filesystem::exists(store.SettingsFile()));
      EXPECT_NO_THROW(StoredSettings()) << "the next start still reads the store";
      continue;
    }
    settings.Store.WriteDisplay(FullScreenValue, 1);
    settings.Store.WriteDisplay(ScaleValue, 3);
    StoredSettings again;
    choices = again.Store.LoadDisplay();
    EXPECT_EQ(choices.FullScreen, 1);
    EXPECT_EQ(choices.Scale, 3);
    EXPECT_EQ(Stored("Display", "Scale"), 3);

    PutText("Display", "Scale", "3");  // edited by hand
    EXPECT_EQ(StoredSettings().Store.LoadDisplay().Scale, std::nullopt);
  }
}
