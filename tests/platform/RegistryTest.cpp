#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "support/TempStore.h"

namespace {

const std::string Settings(SettingsKeyPath);
const std::string Area = Settings + "\\GamePlayArea";
const std::string Scores = std::string(HighScoresKeyPath) + "\\7x10a";

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryException& error) {
    return error.what();
  }
  return "(no error)";
}

// The text of round n: long enough to take several writes to disk, and every part of it says
// n, so a file mixing two rounds is caught.
std::string Payload(int n) {
  std::string text;
  while (text.size() < 40000) text += std::to_string(n) + ';';
  return text;
}

// The round a payload belongs to, or -1 when its parts disagree.
int RoundOf(const std::string& payload) {
  const int n = std::atoi(payload.c_str());
  return payload == Payload(n) ? n : -1;
}

}  // namespace

TEST(Registry, KeysAreCreatedOnlyWhenAskedAndLiveInTheirOwnFiles) {
  TempStore store;
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey(Area, false));
  EXPECT_FALSE(std::filesystem::exists(store.ConfigHome()));  // looking never writes

  ASSERT_TRUE(registry.OpenKey(Area, true));
  registry.WriteInteger("Width", 7);
  ASSERT_TRUE(registry.OpenKey("\\" + Scores, true));
  registry.WriteString("n1", "ANNA");
  registry.WriteInteger("s1", -2);

  const std::string settings = TempStore::ReadText(store.SettingsFile());
  const std::string scores = TempStore::ReadText(store.ScoresFile());
  EXPECT_NE(settings.find("[HKEY_CURRENT_USER\\" + Area + "]\n\"Width\"=dword:00000007\n"), std::string::npos);
  EXPECT_EQ(settings.find("ANNA"), std::string::npos);
  EXPECT_NE(scores.find("\"n1\"=\"ANNA\"\n\"s1\"=dword:fffffffe\n"), std::string::npos);

  TRegistry reader;
  ASSERT_TRUE(reader.OpenKey(Scores, false));
  EXPECT_EQ(reader.ReadInteger("s1"), -2);
  EXPECT_EQ(reader.ReadString("N1"), "ANNA");  // names compare as the registry does

  EXPECT_FALSE(reader.OpenKey("\\SOFTWARE\\Other Maker\\Game", true));  // not the game's
  EXPECT_EQ(reader.CurrentPath(), Scores);  // a failed open keeps the key that was open
  EXPECT_TRUE(reader.OpenKey(std::string(GameKeyPath) + "\\Settings", false));  // exists through its subkey
  EXPECT_FALSE(reader.OpenKey("GamePlayArea", false));  // paths are never relative
  EXPECT_TRUE(reader.OpenKey(Area + "\\", false));
  EXPECT_EQ(reader.CurrentPath(), Area);
}

TEST(Registry, FailuresCarryTheStoreMessages) {
  TempStore store;
  const std::string file = store.SettingsFile().string();
  TRegistry registry;
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Width", 5); }), "Failed to set data for 'Width': no key is open");
  EXPECT_EQ(MessageOf([&] { registry.ReadInteger("Width"); }), "Failed to get data for 'Width'");
  EXPECT_FALSE(registry.ValueExists("Width"));
  // A key that is not there: a write names the file and the key it did not find.
  EXPECT_FALSE(registry.OpenKey(Area, false));
  EXPECT_EQ(registry.LastOpenError(), file + ": the key '" + Area + "' does not exist");
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Width", 5); }),
            "Failed to set data for 'Width': " + file + ": the key '" + Area + "' does not exist");

  ASSERT_TRUE(registry.OpenKey(Area, true));
  EXPECT_EQ(registry.LastOpenError(), "");
  registry.WriteString("Width", "7");
  registry.WriteInteger("Height", 14);
  EXPECT_EQ(MessageOf([&] { registry.ReadInteger("Width"); }), "Invalid data type for 'Width'");
  EXPECT_EQ(MessageOf([&] { registry.ReadString("Height"); }), "Invalid data type for 'Height'");
  EXPECT_EQ(MessageOf([&] { registry.ReadString("Depth"); }), "Failed to get data for 'Depth'");
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Bad\nName", 1); }),
            "Failed to set data for 'Bad\nName': " + file + ": a value name cannot hold a line break or a NUL character");

  // A folder that cannot be made: the key can be neither opened nor created, and says why.
  TempStore::WriteText(store.DataHome(), "a file where the folder should be");
  EXPECT_FALSE(registry.OpenKey("\\" + Scores, true));
  EXPECT_EQ(registry.CurrentPath(), Area);
  const std::string folder = store.DataHome().string() + "/huebloc";
  EXPECT_EQ(registry.LastOpenError(), store.ScoresFile().string() + ": cannot create the folder '" + folder + "': Not a directory");
  EXPECT_FALSE(registry.OpenKey("\\SOFTWARE\\Other Maker\\Game", true));
  EXPECT_EQ(registry.LastOpenError(),
            "the key 'SOFTWARE\\Other Maker\\Game' is not one of the game's, which this store keeps");
}

TEST(Registry, FoldersFollowTheXdgVariablesAndFallBackToHome) {
  TempStore store;
  const std::string oldHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  const std::string home = (store.Root / "home").string();
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(TRegistry::FileForKey(Settings), store.ConfigHome().string() + "/huebloc/settings.reg");
  EXPECT_EQ(TRegistry::FileForKey(Scores), store.DataHome().string() + "/huebloc/highscores.reg");
  unsetenv("XDG_CONFIG_HOME");
  setenv("XDG_DATA_HOME", "relative/path", 1);  // relative values are to be ignored
  EXPECT_EQ(TRegistry::FileForKey(Area), home + "/.config/huebloc/settings.reg");
  EXPECT_EQ(TRegistry::FileForKey(Scores), home + "/.local/share/huebloc/highscores.reg");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(TRegistry::FileForKey(Settings), home + "/.config/huebloc/settings.reg");
  EXPECT_EQ(TRegistry::FileForKey("SOFTWARE\\Corvane Software\\Hueblocs"), "");
  setenv("HOME", oldHome.c_str(), 1);
}

TEST(Registry, ReadsSeeOtherWritersAndWritesMergeIntoTheFileOnDisk) {
  TempStore store;
  TRegistry first, second;
  ASSERT_TRUE(first.OpenKey(Area, true));
  ASSERT_TRUE(second.OpenKey(Area, false));
  EXPECT_FALSE(second.ValueExists("Width"));  // read now, before the other writes

  first.WriteInteger("Width", 9);
  EXPECT_EQ(second.ReadInteger("Width"), 9);
  // second last read the file before this write: its own write must not undo it.
  first.WriteInteger("Height", 11);
  second.WriteInteger("Width", 6);
  TRegistry third;
  ASSERT_TRUE(third.OpenKey(Area, false));
  EXPECT_EQ(third.ReadInteger("Height"), 11);
  EXPECT_EQ(third.ReadInteger("Width"), 6);

  // A value edited by hand between two reads is seen too.
  std::string text = TempStore::ReadText(store.SettingsFile());
  text.replace(text.find("dword:00000006"), 14, "dword:a");
  TempStore::WriteText(store.SettingsFile(), text);
  EXPECT_EQ(third.ReadInteger("Width"), 10);
}

TEST(Registry, DamagedFileIsReportedWithItsLineAndNeverOverwritten) {
  TempStore store;
  TRegistry early;
  ASSERT_TRUE(early.OpenKey(Area, true));
  early.WriteInteger("Width", 7);

  const std::string damaged =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + Area + "]\n\"Width\"=dword:7\n\"Height\"=14\n";
  TempStore::WriteText(store.SettingsFile(), damaged);

  const std::string file = store.SettingsFile().string();
  TRegistry late;
  const std::string message = MessageOf([&] { late.OpenKey(Area, true); });
  EXPECT_NE(message.find("'" + file + "'"), std::string::npos) << message;
  EXPECT_NE(message.find("line 5"), std::string::npos) << message;
  EXPECT_NE(MessageOf([&] { early.ReadInteger("Width"); }).find("line 5"), std::string::npos);

  EXPECT_EQ(MessageOf([&] { early.WriteInteger("Width", 8); }),
            "Failed to set data for 'Width': " + file + ": it is damaged at line 5: expected \"text\", dword:00000000 or hex:... after '='");
  EXPECT_EQ(TempStore::ReadText(store.SettingsFile()), damaged);
}

// Kills a writing process at random instants: the file on disk must always be a whole old or
// new version, never a mixture, never missing, never older than what was seen before.
TEST(Registry, KilledWriterLeavesTheOldOrTheNewFile) {
  TempStore store;
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(Settings, true));
    registry.WriteString("Payload", Payload(0));
  }
  std::mt19937 random(7);
  int seen = 0;
  for (int round = 1; round <= 60; ++round) {
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(progress[0]);
      try {
        TRegistry registry;
        if (!registry.OpenKey(Settings, false)) _exit(1);
        for (int n = round * 1000;; ++n) {
          registry.WriteString("Payload", Payload(n));
          if (write(progress[1], "w", 1) != 1) _exit(1);
        }
      } catch (...) {
        _exit(1);
      }
    }
    close(progress[1]);
    char done = 0;
    ASSERT_EQ(read(progress[0], &done, 1), 1) << "the writer failed before its first write";
    // Let it run on for a random while, then kill it wherever it is.
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 4000);
    while (std::chrono::steady_clock::now() < until) {
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

    const std::string text = TempStore::ReadText(store.SettingsFile());
    platform::RegDocument document;
    ASSERT_NO_THROW(document = platform::ParseRegistryText(text)) << "round " << round;
    const platform::RegKey* key = document.FindKey(Settings);
    ASSERT_NE(key, nullptr) << "round " << round << ": the key is gone";
    const platform::RegValue* payload = key->FindValue("Payload");
    ASSERT_NE(payload, nullptr);
    const int n = RoundOf(payload->Text);
    ASSERT_GE(n, seen) << "round " << round << ": mixed or older contents";
    seen = n;
  }
  EXPECT_GT(seen, 1000);

  // The next writer sweeps away the temporary files of the killed ones.
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, false));
  registry.WriteInteger("Flags", 1);
  for (const auto& entry : std::filesystem::directory_iterator(store.SettingsFile().parent_path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

// Two games writing different values at the same moments: neither loses the other's writes.
TEST(Registry, ConcurrentWritersLoseNothing) {
  TempStore store;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  constexpr int Writes = 60;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      close(start[1]);
      char go = 0;
      if (read(start[0], &go, 1) != 0) _exit(1);  // both start when the pipe closes
      try {
        TRegistry registry;
        if (!registry.OpenKey(Scores, true)) _exit(1);
        for (int i = 0; i < Writes; ++i) registry.WriteInteger("p" + std::to_string(c) + "v" + std::to_string(i), i);
      } catch (...) {
        _exit(1);
      }
      _exit(0);
    }
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Scores, false));
  int missing = 0;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < Writes; ++i) {
      const std::string name = "p" + std::to_string(c) + "v" + std::to_string(i);
      if (!registry.ValueExists(name) || registry.ReadInteger(name) != i) ++missing;
    }
  EXPECT_EQ(missing, 0);
}
