#include "ui/DefaultSettings.h"

#include <gtest/gtest.h>

#include "core/Area.h"
#include "platform/Registry.h"
#include "support/TempStore.h"
#include "ui/SettingsStore.h"

namespace {

const std::string Settings(SettingsKeyPath);

using Names = std::vector<std::string>;

}  // namespace

TEST(DefaultSettings, FreshUserGetsEveryDefault) {
  TempStore store;
  const TDefaultSettingsResult result = WriteDefaultSettings("/opt/huebloc/share/huebloc");
  EXPECT_EQ(result.Written,
            (Names{"Path", "Flags", "Level", "Keys\\Left", "Keys\\Right", "Keys\\Up", "GamePlayArea\\Height",
                   "GamePlayArea\\Width"}));
  EXPECT_TRUE(result.WrongType.empty());
  EXPECT_FALSE(std::filesystem::exists(store.DataHome()));  // scores are not settings

  TSettings settings;
  TSettingsStore().Load(settings);
  EXPECT_EQ(settings.KeyLeft, 37);
  EXPECT_EQ(settings.KeyRight, 39);
  EXPECT_EQ(settings.KeyUp, 38);
  EXPECT_EQ(settings.HeightSetting, 14);
  EXPECT_EQ(settings.WidthSetting, 7);
  EXPECT_EQ(settings.GetStartLevel(), 0);
  EXPECT_EQ(settings.GetFlag(0), 8u);
  EXPECT_EQ(settings.GetFlag(1), 6u);
  EXPECT_EQ(settings.GetFlag(2), 0u);
  EXPECT_EQ(settings.Path, "/opt/huebloc/share/huebloc");
}

TEST(DefaultSettings, WritesOnlyWhatIsAbsent) {
  TempStore store;
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(Settings, true));
    registry.WriteString("Path", "/home/me/music");
    registry.WriteString("Level", "3");  // wrong type: reported, left alone
    ASSERT_TRUE(registry.OpenKey(Settings + "\\GamePlayArea", true));
    registry.WriteInteger("Width", 9);
  }
  const TDefaultSettingsResult result = WriteDefaultSettings("/usr/share/huebloc");
  EXPECT_EQ(result.Written,
            (Names{"Flags", "Keys\\Left", "Keys\\Right", "Keys\\Up", "GamePlayArea\\Height"}));
  EXPECT_EQ(result.WrongType, Names{"Level"});

  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, false));
  EXPECT_EQ(registry.ReadString("Path"), "/home/me/music");
  EXPECT_EQ(registry.ReadString("Level"), "3");
  EXPECT_EQ(registry.ReadInteger("Flags"), 0x68);
  ASSERT_TRUE(registry.OpenKey(Settings + "\\GamePlayArea", false));
  EXPECT_EQ(registry.ReadInteger("Width"), 9);
  EXPECT_EQ(registry.ReadInteger("Height"), 14);

  // A second run finds everything in place and leaves the file exactly as it was.
  const std::string before = TempStore::ReadText(store.SettingsFile());
  EXPECT_TRUE(WriteDefaultSettings("/elsewhere").Written.empty());
  EXPECT_EQ(TempStore::ReadText(store.SettingsFile()), before);
}
