#include "platform/Registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <thread>

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

// The file as the store writes it, with the given value lines in the settings key.
std::string SettingsText(const std::string& lines) {
  return "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + Settings + "]\n" + lines + "\n";
}

// The temporary files a writer left in a folder.
int LeftoverTemporaries(const std::filesystem::path& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    count += entry.path().filename().string().find(".tmp-") != std::string::npos;
  return count;
}

// The names in a folder.
std::set<std::string> FilesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// The error the write call fails with while a test puts a failing call in its place.
int InjectedError = 0;
ssize_t FailingWrite(int, const void*, std::size_t) {
  errno = InjectedError;
  return -1;
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
  EXPECT_EQ(
      MessageOf([&] { registry.WriteInteger("Bad\nName", 1); }),
      "Failed to set data for 'Bad\nName': " + file + ": a value name cannot hold a line break or a NUL character");

  // A folder that cannot be made: the key can be neither opened nor created, and says why.
  TempStore::WriteText(store.DataHome(), "a file where the folder should be");
  EXPECT_FALSE(registry.OpenKey("\\" + Scores, true));
  EXPECT_EQ(registry.CurrentPath(), Area);
  const std::string folder = store.DataHome().string() + "/huebloc";
  EXPECT_EQ(registry.LastOpenError(),
            store.ScoresFile().string() + ": cannot create the folder '" + folder + "': Not a directory");
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
            "Failed to set data for 'Width': " + file +
                ": it is damaged at line 5: expected \"text\", dword:00000000 or hex:... after '='");
  EXPECT_EQ(TempStore::ReadText(store.SettingsFile()), damaged);
}

// A folder that cannot be synced after the rename: the value is stored and reads back, and
// one line says it may not survive a power cut; it is no failed write.
TEST(Registry, AFailedSyncOfTheFolderAfterTheRenameIsSaidButIsNoFailure) {
  TempStore store;
  const std::string file = store.SettingsFile().string();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, true));
  const platform::SyncCall normal = platform::SetFolderSyncCall([](int) {
    errno = EIO;
    return -1;
  });
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Flags", 7); }), "(no error)");
  const std::string said = testing::internal::GetCapturedStderr();
  platform::SetFolderSyncCall(normal);
  EXPECT_EQ(said, std::string(program_invocation_short_name) + ": '" + file +
                      "' is stored, but syncing its folder failed (Input/output error): it may not survive a "
                      "power cut\n");
  TRegistry reader;
  ASSERT_TRUE(reader.OpenKey(Settings, false));
  EXPECT_EQ(reader.ReadInteger("Flags"), 7);
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

// Objects in several threads share the parsed file: each one's reads and writes stay whole.
TEST(Registry, ObjectsInSeveralThreadsShareTheFileSafely) {
  TempStore store;
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(Settings, true));
  }
  constexpr int Threads = 4, Writes = 25;
  std::vector<int> wrong(Threads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&, t] {
      TRegistry registry;
      if (!registry.OpenKey(Settings, false)) {
        wrong[t] = -1;
        return;
      }
      const std::string own = "t" + std::to_string(t);
      for (int i = 1; i <= Writes; ++i) {
        registry.WriteInteger(own, i);
        wrong[t] += registry.ReadInteger(own) != i;
        for (int other = 0; other < Threads; ++other)  // another thread's value, if any yet
          if (registry.ValueExists("t" + std::to_string(other))) registry.ReadInteger("t" + std::to_string(other));
      }
    });
  for (auto& thread : threads) thread.join();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, false));
  for (int t = 0; t < Threads; ++t) {
    EXPECT_EQ(wrong[t], 0) << "thread " << t;
    EXPECT_EQ(registry.ReadInteger("t" + std::to_string(t)), Writes);
  }
}

TEST(Registry, OversizeFileIsRefusedNamingItAndLeftAsItWas) {
  TempStore store;
  const std::string file = store.SettingsFile().string();
  TRegistry early;
  ASSERT_TRUE(early.OpenKey(Settings, true));
  early.WriteInteger("Flags", 1);

  // A write that would make the file too large is refused before anything is written.
  const std::string small = TempStore::ReadText(file);
  const std::string grown = MessageOf([&] { early.WriteString("Payload", std::string(5u << 20, 'x')); });
  EXPECT_EQ(grown.rfind("Failed to set data for 'Payload': " + file + ": the new contents would be ", 0), 0u) << grown;
  EXPECT_EQ(TempStore::ReadText(file), small);

  // 15 MiB of well-formed values.
  std::string huge = SettingsText("");
  for (int n = 0; huge.size() < (15u << 20); ++n) huge += "\"v" + std::to_string(n) + "\"=dword:0000002a\n";
  TempStore::WriteText(file, huge);
  const std::string cause =
      "it is " + std::to_string(huge.size()) + " bytes long; a store file may hold at most 4194304 bytes (4 MiB)";
  TRegistry late;
  EXPECT_EQ(MessageOf([&] { late.OpenKey(Settings, true); }), "Cannot read the store file '" + file + "': " + cause);
  EXPECT_EQ(MessageOf([&] { early.ReadInteger("Flags"); }), "Cannot read the store file '" + file + "': " + cause);
  EXPECT_EQ(MessageOf([&] { early.WriteInteger("Flags", 2); }),
            "Failed to set data for 'Flags': " + file + ": " + cause);
  EXPECT_TRUE(TempStore::ReadText(file) == huge);
  EXPECT_EQ(LeftoverTemporaries(store.SettingsFile().parent_path()), 0);
}

TEST(Registry, AWriteChangesOnlyTheValueItNames) {
  TempStore store;
  const std::string file = store.SettingsFile().string();
  // Values the game cannot read as text, each kept exactly as it is by a write of another value.
  const std::string kept =
      "\"Path\"=hex(1):2f,00,75,00,00,00,2f,00,65,00,76,00,00,00\n"  // a NUL inside the text
      "\"Half\"=hex(1):3d,d8,41,00,00,00\n"                          // half a UTF-16 pair
      "\"Odd\"=hex(1):41,00,42\n"                                    // half a code unit
      "\"Latin1\"=\"caf\xe9\"\n"                                     // not UTF-8
      "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
      "\"Bytes\"=hex:00,ff\n";
  TempStore::WriteText(file, SettingsText("\"Flags\"=dword:00000001\n" + kept));
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, false));
  EXPECT_EQ(registry.ReadString("Latin1"), "caf\xe9");
  EXPECT_EQ(MessageOf([&] { registry.ReadString("Path"); }), "Invalid data type for 'Path'");
  registry.WriteInteger("Flags", 2);
  EXPECT_EQ(TempStore::ReadText(file), SettingsText("\"Flags\"=dword:00000002\n" + kept));

  // The store never writes a text it could not keep.
  EXPECT_EQ(MessageOf([&] { registry.WriteString("Path", std::string("/usr/local/share\0/evil", 22)); }),
            "Failed to set data for 'Path': " + file +
                ": the text holds a NUL character, which the store cannot keep in a text");
  // Several values go together or not at all.
  const auto writeBoth = [&](const std::string& name) {
    registry.Transact("Flags", [&](TRegistryTransaction& transaction) {
      transaction.WriteInteger("Flags", 5);
      transaction.WriteString("n1", name);
    });
  };
  EXPECT_EQ(MessageOf([&] { writeBoth(std::string("A\0", 2)); }),
            "Failed to set data for 'n1': " + file + ": the text holds a NUL character, which the store cannot keep in a text");
  EXPECT_EQ(TempStore::ReadText(file), SettingsText("\"Flags\"=dword:00000002\n" + kept));
  writeBoth("ADA");
  EXPECT_EQ(TempStore::ReadText(file), SettingsText("\"Flags\"=dword:00000005\n" + kept + "\"n1\"=\"ADA\"\n"));

  // A NUL inside quotes cannot be written back: the file is refused, with its line, and left alone.
  const std::string withNul =
      SettingsText("\"Flags\"=dword:00000001\n" + std::string("\"Path\"=\"/usr/local/share\0/evil\"\n", 32));
  TempStore::WriteText(file, withNul);
  const std::string cause = "a NUL character inside quotes cannot be kept";
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Flags", 3); }),
            "Failed to set data for 'Flags': " + file + ": it is damaged at line 5: " + cause);
  TRegistry reader;
  EXPECT_EQ(MessageOf([&] { reader.OpenKey(Settings, false); }),
            "The store file '" + file + "' is damaged at line 5: " + cause);
  EXPECT_EQ(TempStore::ReadText(file), withNul);
}

// A FIFO, a folder, a socket or a device at the store file's place is refused at once, saying
// what it is; waiting on it would hang the game (the ctest timeout guards against that).
TEST(Registry, OnlyARegularFileIsReadOrReplacedAndAnythingElseIsNamed) {
  TempStore store;
  const std::filesystem::path path = store.SettingsFile();
  const std::string file = path.string();
  TRegistry early;
  ASSERT_TRUE(early.OpenKey(Settings, true));
  std::filesystem::remove(path);

  const auto makeSocket = [&] {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, file.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
  };
  const struct {
    std::function<void()> Make;
    std::filesystem::file_type Type;
    std::string Cause;
  } cases[] = {
      {[&] { mkfifo(file.c_str(), 0600); }, std::filesystem::file_type::fifo,
       "it is a FIFO (named pipe), not a regular file"},
      {[&] { std::filesystem::create_directory(path); }, std::filesystem::file_type::directory,
       "it is a directory, not a regular file"},
      {makeSocket, std::filesystem::file_type::socket, "it is a socket, not a regular file"},
      {[&] { std::filesystem::create_symlink("/dev/zero", path); }, std::filesystem::file_type::symlink,
       "it is a link to '/dev/zero', which is a character device, not a regular file"},
  };
  for (const auto& c : cases) {
    c.Make();
    ASSERT_EQ(std::filesystem::symlink_status(path).type(), c.Type) << c.Cause;
    TRegistry reader;
    EXPECT_EQ(MessageOf([&] { reader.OpenKey(Settings, true); }),
              "Cannot read the store file '" + file + "': " + c.Cause);
    EXPECT_EQ(MessageOf([&] { early.WriteInteger("Flags", 1); }),
              "Failed to set data for 'Flags': " + file + ": " + c.Cause);
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), c.Type) << "replaced: " << c.Cause;
    EXPECT_FALSE(std::filesystem::exists("/dev/zero.lock"));  // nothing made beside a device
    std::filesystem::remove(path);
  }

  // The lock file beside it is a file of the store too.
  std::filesystem::remove(file + ".lock");
  ASSERT_EQ(mkfifo((file + ".lock").c_str(), 0600), 0);
  EXPECT_EQ(MessageOf([&] { early.WriteInteger("Flags", 1); }),
            "Failed to set data for 'Flags': " + file + ": its lock file '" + file +
                ".lock' is a FIFO (named pipe), not a regular file");
}

TEST(Registry, ALinkedStoreFileKeepsItsLinkAndItsTargetTakesTheWrite) {
  TempStore store;
  // settings.reg -> dotfiles/current -> settings.reg beside it (a relative link): a chain.
  const std::filesystem::path dotfiles = store.Root / "dotfiles";
  const std::filesystem::path target = dotfiles / "settings.reg";
  TempStore::WriteText(target, SettingsText("\"Flags\"=dword:00000001\n"));
  std::filesystem::create_symlink("settings.reg", dotfiles / "current");
  std::filesystem::create_directories(store.SettingsFile().parent_path());
  std::filesystem::create_symlink(dotfiles / "current", store.SettingsFile());

  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, false));
  EXPECT_EQ(registry.ReadInteger("Flags"), 1);
  registry.WriteInteger("Flags", 2);
  EXPECT_EQ(std::filesystem::read_symlink(store.SettingsFile()), dotfiles / "current");
  EXPECT_EQ(std::filesystem::read_symlink(dotfiles / "current"), "settings.reg");
  EXPECT_EQ(TempStore::ReadText(target), SettingsText("\"Flags\"=dword:00000002\n"));
  EXPECT_EQ(LeftoverTemporaries(dotfiles), 0);

  // The lock stays in the game's own folder, beside the link.
  EXPECT_TRUE(std::filesystem::is_regular_file(store.SettingsFile().string() + ".lock"));
  EXPECT_EQ(FilesIn(dotfiles), (std::set<std::string>{"current", "settings.reg"}));

  // A link to a file not made yet: the write makes it, at the link's end.
  std::filesystem::remove(target);
  registry.WriteInteger("Flags", 3);
  EXPECT_TRUE(std::filesystem::is_symlink(store.SettingsFile()));
  EXPECT_EQ(TempStore::ReadText(target), SettingsText("\"Flags\"=dword:00000003\n"));

  // A target the store refuses: nothing new appears beside it, nor in the game's folder.
  std::filesystem::remove(store.SettingsFile().string() + ".lock");
  const struct {
    std::function<void()> Make;
    std::string Cause;
  } refused[] = {
      {[&] { TempStore::WriteText(target, std::string(5u << 20, ';')); },
       "it is 5242880 bytes long; a store file may hold at most 4194304 bytes (4 MiB)"},
      {[&] { mkfifo(target.c_str(), 0600); },
       "it is a link to '" + target.string() + "', which is a FIFO (named pipe), not a regular file"},
  };
  for (const auto& c : refused) {
    std::filesystem::remove(target);
    c.Make();
    const std::set<std::string> beside = FilesIn(dotfiles), home = FilesIn(store.SettingsFile().parent_path());
    EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Flags", 4); }),
              "Failed to set data for 'Flags': " + store.SettingsFile().string() + ": " + c.Cause);
    EXPECT_EQ(FilesIn(dotfiles), beside);
    EXPECT_EQ(FilesIn(store.SettingsFile().parent_path()), home);
  }
}

TEST(Registry, AFailedWriteNamesTheFileAndTheCauseAndChangesNothing) {
  TempStore store;
  const std::string file = store.SettingsFile().string();
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(Settings, true));
  registry.WriteInteger("Flags", 1);
  const std::string before = TempStore::ReadText(file);

  // Full, read-only or forbidden: the disk's answer, met at the write of the new contents.
  const struct {
    int Error;
    std::string Cause;
  } cases[] = {{ENOSPC, "No space left on device"}, {EROFS, "Read-only file system"}, {EACCES, "Permission denied"}};
  for (const auto& c : cases) {
    InjectedError = c.Error;
    const platform::WriteCall normal = platform::SetWriteCall(&FailingWrite);
    const std::string message = MessageOf([&] { registry.WriteInteger("Flags", 2); });
    platform::SetWriteCall(normal);
    EXPECT_EQ(message, "Failed to set data for 'Flags': " + file + ": " + c.Cause);
  }
  EXPECT_EQ(TempStore::ReadText(file), before);
  EXPECT_EQ(LeftoverTemporaries(store.SettingsFile().parent_path()), 0);

  // Another program holding the lock for longer than the limit: the write gives up, saying so.
  int held[2], release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    close(held[0]);
    close(release[1]);
    const int lock = open((file + ".lock").c_str(), O_RDWR);
    char end = 0;
    if (lock < 0 || flock(lock, LOCK_EX) != 0 || write(held[1], "h", 1) != 1 || read(release[0], &end, 1) < 0) _exit(1);
    _exit(0);
  }
  close(held[1]);
  close(release[0]);
  char ready = 0;
  ASSERT_EQ(read(held[0], &ready, 1), 1) << "the other program could not take the lock";
  const std::chrono::milliseconds normalLimit = platform::SetLockWaitLimit(std::chrono::milliseconds(150));
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Flags", 2); }),
            "Failed to set data for 'Flags': " + file + ": it is locked by another program: its lock file '" + file +
                ".lock' has been held for more than 150 ms");
  EXPECT_EQ(TempStore::ReadText(file), before);
  close(release[1]);  // the other program lets go
  int status = 0;
  waitpid(holder, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(held[0]);
  registry.WriteInteger("Flags", 3);
  platform::SetLockWaitLimit(normalLimit);
  EXPECT_EQ(registry.ReadInteger("Flags"), 3);

  // A folder on the way that has become a file: a real failure, even for root.
  std::filesystem::remove_all(store.ConfigHome());
  TempStore::WriteText(store.ConfigHome(), "not a folder");
  EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Flags", 2); }),
            "Failed to set data for 'Flags': " + file + ": cannot create the folder '" + store.ConfigHome().string() +
                "/huebloc': Not a directory");
}
