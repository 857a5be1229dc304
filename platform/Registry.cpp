#include "platform/Registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

using platform::RegDocument;
using platform::RegParseError;
using platform::RegType;
using platform::RegValue;

namespace {

constexpr std::string_view GameFolder = "huebloc";

bool IsAtOrBelow(std::string_view path, std::string_view key) {
  return path.size() >= key.size() && platform::SameName(path.substr(0, key.size()), key) &&
         (path.size() == key.size() || path[key.size()] == '\\');
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  // No usable HOME (started from a service, say): ask the password database.
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else the usual folder below the home folder.
std::string BaseFolder(const char* variable, std::string_view underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return home + "/" + std::string(underHome);
}

std::string DamagedMessage(const std::string& file, const RegParseError& error) {
  return "The store file '" + file + "' is damaged at line " + std::to_string(error.Line()) + ": " + error.Reason();
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

ERegistryException::ERegistryException(const std::string& message, std::string detail)
    : std::runtime_error(message), DetailText(std::move(detail)) {}

std::string TRegistry::FileForKey(std::string_view keyPath) {
  if (!IsAtOrBelow(keyPath, GameKeyPath)) return {};
  const bool scores = IsAtOrBelow(keyPath, HighScoresKeyPath);
  const std::string base = scores ? BaseFolder("XDG_DATA_HOME", ".local/share") : BaseFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return {};
  return base + "/" + std::string(GameFolder) + "/" + std::string(scores ? HighScoresFileName : SettingsFileName);
}

void TRegistry::Refresh() {
  // Every write of ours replaces the file by rename, so a changed inode marks it; edits made
  // in place by hand show in the size and modification time.
  try {
    if (CachedFile == FilePath && platform::StampOf(FilePath) == CachedStamp) return;
    platform::FileStamp stamp;
    const std::optional<std::string> text = platform::ReadWholeFile(FilePath, &stamp);
    RegDocument document = text ? platform::ParseRegistryText(*text) : RegDocument{};
    Cached = std::move(document);
    CachedStamp = stamp;
    CachedFile = FilePath;
  } catch (const RegParseError& error) {
    CachedFile.clear();
    throw ERegistryException(DamagedMessage(FilePath, error));
  } catch (const std::system_error& error) {
    CachedFile.clear();
    throw ERegistryException("Cannot read the store file '" + FilePath + "': " + error.code().message());
  }
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string_view requested = key;
  if (!requested.empty() && requested.front() == '\\') requested.remove_prefix(1);
  while (!requested.empty() && requested.back() == '\\') requested.remove_suffix(1);
  std::string path(requested);
  if (!platform::IsValidKeyPath(path)) return false;
  const std::string file = FileForKey(path);
  if (file.empty()) return false;

  // Take the new key's file for reading; restore the old key if this one does not open.
  std::string previousFile = std::exchange(FilePath, file);
  bool opened = false;
  try {
    Refresh();
    opened = Cached.KeyExists(path);
    if (!opened && canCreate) {
      // Keys are created at once, as the registry does, under the lock like any write.
      RegDocument result;
      const platform::FileStamp stamp =
          platform::ReplaceFileLocked(FilePath, [&](const std::optional<std::string>& text) -> std::optional<std::string> {
            result = text ? platform::ParseRegistryText(*text) : RegDocument{};
            if (result.KeyExists(path)) return std::nullopt;
            result.AddKey(path);
            return platform::FormatRegistryText(result);
          });
      Cached = std::move(result);
      CachedStamp = stamp;
      CachedFile = FilePath;
      opened = true;
    }
  } catch (const RegParseError& error) {
    const std::string message = DamagedMessage(FilePath, error);
    FilePath = std::move(previousFile);
    throw ERegistryException(message);
  } catch (const std::system_error&) {
    opened = false;  // the key cannot be created here (read-only or full disk, ...)
  } catch (...) {
    FilePath = std::move(previousFile);
    throw;
  }
  if (!opened) {
    FilePath = std::move(previousFile);
    return false;
  }
  IsOpen = true;
  KeyPath = std::move(path);
  return true;
}

void TRegistry::CloseKey() {
  IsOpen = false;
  KeyPath.clear();
  FilePath.clear();
}

const RegValue* TRegistry::FindValue(const std::string& name) {
  if (!IsOpen) return nullptr;
  Refresh();
  const platform::RegKey* key = Cached.FindKey(KeyPath);
  return key != nullptr ? key->FindValue(name) : nullptr;
}

bool TRegistry::ValueExists(const std::string& name) { return FindValue(name) != nullptr; }

int32_t TRegistry::ReadInteger(const std::string& name) {
  const RegValue* value = FindValue(name);
  if (value == nullptr) throw ERegistryException("Failed to get data for " + Quoted(name));
  if (value->Type != RegType::DWord) throw ERegistryException("Invalid data type for " + Quoted(name));
  return static_cast<int32_t>(value->Number);
}

std::string TRegistry::ReadString(const std::string& name) {
  const RegValue* value = FindValue(name);
  if (value == nullptr) throw ERegistryException("Failed to get data for " + Quoted(name));
  if (value->Type != RegType::String) throw ERegistryException("Invalid data type for " + Quoted(name));
  return value->Text;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  RegValue entry;
  entry.Name = name;
  entry.Type = RegType::DWord;
  entry.Number = static_cast<uint32_t>(value);
  Write(name, std::move(entry));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  RegValue entry;
  entry.Name = name;
  entry.Type = RegType::String;
  entry.Text = value;
  Write(name, std::move(entry));
}

void TRegistry::Write(const std::string& name, RegValue value) {
  const std::string failed = "Failed to set data for " + Quoted(name);
  if (!IsOpen) throw ERegistryException(failed, "no key is open");
  if (!platform::IsValidValueName(name)) throw ERegistryException(failed, "the value name cannot be stored");
  try {
    RegDocument result;
    const platform::FileStamp stamp =
        platform::ReplaceFileLocked(FilePath, [&](const std::optional<std::string>& text) -> std::optional<std::string> {
          // Merge into the file as it is now: another game may have written since we read it.
          result = text ? platform::ParseRegistryText(*text) : RegDocument{};
          platform::RegKey& key = result.AddKey(KeyPath);
          const RegValue* old = key.FindValue(name);
          if (old != nullptr && old->Type == value.Type && old->Number == value.Number && old->Text == value.Text)
            return std::nullopt;
          key.SetValue(value);
          return platform::FormatRegistryText(result);
        });
    Cached = std::move(result);
    CachedStamp = stamp;
    CachedFile = FilePath;
  } catch (const RegParseError& error) {
    throw ERegistryException(failed, DamagedMessage(FilePath, error));
  } catch (const std::system_error& error) {
    throw ERegistryException(failed, error.what());
  }
}
