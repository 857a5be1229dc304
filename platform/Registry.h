// The per-user store of keys and typed values (32-bit integers and strings), used like the
// class-library registry object the game was written against. Settings keys live in
// $XDG_CONFIG_HOME/huebloc/settings.reg, high-score keys in $XDG_DATA_HOME/huebloc/highscores.reg,
// so clearing one's configuration never deletes one's scores. Reads see the file as it is on
// disk; every write merges just its own change into it under the file's lock, so a crash or a
// second running game never loses a setting or a score. A damaged file is reported (file and
// line) and never overwritten. One object belongs to one thread; any number of objects in any
// threads or processes may share the files.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/RegistryFile.h"

// The game's keys; anything else below HKEY_CURRENT_USER is not kept by this store.
inline constexpr std::string_view GameKeyPath = "SOFTWARE\\Corvane Software\\Huebloc";
inline constexpr std::string_view SettingsKeyPath = "SOFTWARE\\Corvane Software\\Huebloc\\Settings";
inline constexpr std::string_view HighScoresKeyPath = "SOFTWARE\\Corvane Software\\Huebloc\\HighScores";

// Registry failures. what() is the message the player sees: the class library's own message for
// the value, then for a failed write the file and the cause ("Failed to set data for 'Flags':
// /home/u/.config/huebloc/settings.reg: No space left on device"), or why a file cannot be read.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The values of one key, read as the class-library registry reads them.
class TRegistryValues {
 public:
  bool ValueExists(const std::string& name) { return FindValue(name) != nullptr; }
  // "Failed to get data for '%s'" when absent, "Invalid data type for '%s'" when not of the type.
  int32_t ReadInteger(const std::string& name);
  std::string ReadString(const std::string& name);

 protected:
  ~TRegistryValues() = default;
  virtual const platform::RegValue* FindValue(const std::string& name) = 0;
};

// What one transaction of the store sees and does: the open key's values as they are in its
// file while the file's lock is held, and the writes it asks for, stored together at its end.
// Reads do not see the transaction's own writes.
class TRegistryTransaction final : public TRegistryValues {
 public:
  void WriteInteger(const std::string& name, int32_t value) {
    Writes.push_back({name, platform::RegType::DWord, {}, static_cast<uint32_t>(value)});
  }
  void WriteString(const std::string& name, const std::string& value) {
    Writes.push_back({name, platform::RegType::String, value, 0});
  }

 private:
  friend class TRegistry;
  explicit TRegistryTransaction(const platform::RegKey* key) : Key(key) {}
  const platform::RegValue* FindValue(const std::string& name) override {
    return Key != nullptr ? Key->FindValue(name) : nullptr;
  }

  const platform::RegKey* Key;
  std::vector<platform::RegValue> Writes;
};

class TRegistry final : public TRegistryValues {
 public:
  // Opens a key by its full path below HKEY_CURRENT_USER (a leading backslash is allowed; paths
  // are never relative to the key already open, so reusing an object cannot nest keys by
  // mistake). Creates the key when asked to. False when the key does not exist and may not or
  // cannot be created; the key open before stays open then, and LastOpenError() tells why.
  // Throws ERegistryException when the key's file cannot be read or is damaged.
  bool OpenKey(const std::string& key, bool canCreate);
  // Why the last OpenKey returned false, beginning with the file; "" after one that succeeded.
  const std::string& LastOpenError() const { return OpenError; }
  // The open key's path below HKEY_CURRENT_USER, "" when none is open.
  const std::string& CurrentPath() const { return KeyPath; }

  // "Failed to set data for '%s'" when the value cannot be stored (no key open, the file is
  // damaged, cannot be written or is locked by another program for too long, the text holds a
  // NUL), followed by the file and the cause.
  void WriteInteger(const std::string& name, int32_t value);
  void WriteString(const std::string& name, const std::string& value);

  // One transaction on the open key: body reads the key as it is in the file and asks for writes
  // while the file's lock is held, and the writes go into the file all or none before the lock is
  // released, so no other writer comes between. An exception from body changes nothing and
  // passes on. Fails as the writes above do, naming the value reportAs.
  void Transact(const std::string& reportAs, const std::function<void(TRegistryTransaction&)>& body);

  // The file that keeps a key, resolved from the XDG variables now; "" for keys outside the
  // game's or when no home folder can be found, with the reason in why when given.
  static std::string FileForKey(std::string_view keyPath, std::string* why = nullptr);

 private:
  // The document of a file's text (absent: ""), parsed only when it is not the text in hand.
  // Throws platform::RegParseError.
  const platform::RegDocument& Parsed(std::string text);
  // Throws ERegistryException when file is unreadable or damaged.
  const platform::RegDocument& Read(const std::string& file);
  // Applies edit (false: nothing to change) to file as it is on disk, under its lock. Throws
  // platform::RegParseError and platform::FileError.
  void Update(const std::string& file, const std::function<bool(platform::RegDocument&)>& edit);
  const platform::RegValue* FindValue(const std::string& name) override;

  std::string KeyPath;
  std::string FilePath;
  std::string OpenError;

  // The last document read, and the text it was read from.
  std::string DocumentText;
  platform::RegDocument Document;
};
