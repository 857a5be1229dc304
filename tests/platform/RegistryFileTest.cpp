#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

#include <random>

using namespace platform;

namespace {

RegValue Text(std::string name, std::string text) { return {std::move(name), RegType::String, std::move(text), 0}; }
RegValue Number(std::string name, uint32_t number) { return {std::move(name), RegType::DWord, {}, number}; }

int FailingLine(const std::string& text) {
  try {
    ParseRegistryText(text);
  } catch (const RegParseError& error) {
    return error.Line();
  }
  return 0;
}

const std::string Head = "Windows Registry Editor Version 5.00\n\n";

}  // namespace

TEST(RegistryFile, WriterAndParserRoundTripEveryKindOfValue) {
  RegDocument document;
  RegKey& settings = document.AddKey("SOFTWARE\\Maker\\Game\\Settings");
  settings.SetValue(Text("Path", "C:\\games\\\"quoted\"\\"));
  settings.SetValue(Text("Say \"hi\"\\", "tab\there"));
  settings.SetValue(Number("Flags", 0x2a));
  settings.SetValue(Number("All", 0xFFFFFFFFu));
  settings.SetValue(Text("", "default value"));
  settings.SetValue(Text("Lines", "one\ntwo\r\n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));  // é € and an emoji
  settings.SetValue(Text("Returns", "caf\xE9\r/usr/share\r"));  // not UTF-8: stays in quotes, as it was read
  settings.SetValue({"Raw", RegType::Other, "hex(b):01,02,03,04,05,06,07,08", 0});
  document.AddKey("SOFTWARE\\Maker\\Game\\Empty");
  const RegKey& key = document.Keys()[0];

  const std::string text = FormatRegistryText(document);
  EXPECT_NE(text.find("\"Path\"=\"C:\\\\games\\\\\\\"quoted\\\"\\\\\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Flags\"=dword:0000002a\n"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"default value\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Lines\"=hex(1):6f,00,6e,00"), std::string::npos) << text;
  EXPECT_EQ(text.rfind(Head, 0), 0u);

  const RegDocument back = ParseRegistryText(text);
  ASSERT_EQ(back.Keys().size(), 2u);
  ASSERT_EQ(back.Keys()[0].Values().size(), key.Values().size());
  for (std::size_t i = 0; i < key.Values().size(); ++i) {
    const RegValue& want = key.Values()[i];
    const RegValue& got = back.Keys()[0].Values()[i];
    EXPECT_EQ(got.Name, want.Name);
    EXPECT_EQ(got.Type, want.Type);
    EXPECT_EQ(got.Text, want.Text);
    EXPECT_EQ(got.Number, want.Number);
  }
  EXPECT_EQ(FormatRegistryText(back), text);
}

TEST(RegistryFile, ReadsTheFormsRealExportFilesTake) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "; written by hand\r\n"
      "[HKEY_CURRENT_USER\\Software\\Maker\\Game\\Settings\\Keys]\r\n"
      "\"Left\"=DWORD:0000002A\r\n"
      "\"Name\"=hex(1):41,00,\\\r\n"
      "  42,00,00,00\r\n"
      "[hkey_current_user\\SOFTWARE\\MAKER\\game\\settings\\keys]  \r\n"
      "\"left\" = dword:25\r\n";
  const RegDocument document = ParseRegistryText(text);
  ASSERT_EQ(document.Keys().size(), 1u);  // the second section is the same key
  const RegKey* keys = document.FindKey("SOFTWARE\\Maker\\Game\\Settings\\Keys");
  ASSERT_NE(keys, nullptr);
  ASSERT_NE(keys->FindValue("LEFT"), nullptr);
  EXPECT_EQ(keys->FindValue("Left")->Number, 0x25u);  // the later line wins
  EXPECT_EQ(keys->FindValue("Name")->Type, RegType::String);
  EXPECT_EQ(keys->FindValue("Name")->Text, "AB");
  // A key exists through the keys below it; a mere name prefix does not count.
  EXPECT_TRUE(document.KeyExists("SOFTWARE\\Maker\\Game"));
  EXPECT_FALSE(document.KeyExists("SOFTWARE\\Maker\\Gam"));
  EXPECT_FALSE(document.KeyExists("SOFTWARE\\Maker\\Game\\Settings\\Keys\\More"));

  EXPECT_TRUE(ParseRegistryText("").Keys().empty());
  EXPECT_TRUE(ParseRegistryText("REGEDIT4\n").Keys().empty());
}

TEST(RegistryFile, DamagedTextNamesTheLine) {
  const std::string key = "[HKEY_CURRENT_USER\\Software\\Game]\n";
  const struct {
    std::string Text;
    int Line;
  } cases[] = {
      {"\n\n[HKEY_CURRENT_USER\\Software\\Game]\n", 3},  // no header
      {Head + "\"a\"=dword:1\n", 3},                     // value before any key
      {Head + key + "\"a\"=\"C:\\dir\"\n", 4},           // lone backslash
      {Head + key + "\"a\"=\"open\n", 4},
      {Head + key + "\"a\"=dword:12345678\n\"b\"=dword:123456789\n", 5},
      {Head + key + "\"a\"=dword:xyz\n", 4},
      {Head + key + "\"a\"=\"x\" trailing\n", 4},
      {Head + "[HKEY_CURRENT_USER\\Software\\Game\n", 3},
      {Head + "[HKEY_LOCAL_MACHINE\\Software\\Game]\n", 3},
      {Head + "[HKEY_CURRENT_USER\\Software\\\\Game]\n", 3},
      {Head + "[-HKEY_CURRENT_USER\\Software\\Game]\n", 3},
      {Head + key + "\"a\"=-\n", 4},
      {Head + key + std::string("\"a\"=\"/usr/local/share\0/evil\"\n", 29), 4},  // would be cut at the NUL
      {Head + key + "\"a\"=hex:4,1\n", 4},
      {Head + key + "\"a\"=hex:41,\\\n", 4},
      {Head + key + "junk\n", 4},
  };
  for (const auto& c : cases) EXPECT_EQ(FailingLine(c.Text), c.Line) << c.Text;
}

// Whatever a damaged or hostile file holds, reading it either fails cleanly or gives a document
// that the writer stores and reads back unchanged.
TEST(RegistryFile, MutatedFilesParseCleanlyOrFailCleanly) {
  const std::string seed = Head +
                           "[HKEY_CURRENT_USER\\SOFTWARE\\Corvane Software\\Huebloc\\Settings]\n"
                           "\"Path\"=\"/usr/share/huebloc;C:\\\\x \\\"y\\\"\"\n"
                           "\"Flags\"=dword:00000068\n"
                           "\"n1\"=hex(1):41,00,0a,00,3d,d8,00,de,00,00\n"
                           "\"Raw\"=hex(2):41,00,\\\n  00,00\n"
                           "@=\"\"\n\n";
  const std::string alphabet = std::string("\"\\[]=:@-;,\n\r\t xX0aAhex(1)dword") + '\0';
  std::mt19937 random(20240611);
  int parsed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % (text.size() + 1);
      switch (random() % 3) {
        case 0:
          text.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1 + random() % 3);
          break;
        default:
          if (at < text.size()) text[at] = static_cast<char>(random() % 256);
      }
    }
    try {
      const RegDocument document = ParseRegistryText(text);
      const std::string once = FormatRegistryText(document);
      EXPECT_TRUE(ParseRegistryText(once) == document) << text;
      EXPECT_EQ(FormatRegistryText(ParseRegistryText(once)), once) << text;
      ++parsed;
    } catch (const RegParseError& error) {
      EXPECT_GE(error.Line(), 1);
    }
  }
  EXPECT_GT(parsed, 100);  // the mutations must also reach the successful paths
}
