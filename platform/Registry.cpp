#include "platform/Registry.h"

#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/UserFolders.h"

using platform::FileError;
using platform::FileStamp;
using platform::RegDocument;
using platform::RegParseError;
using platform::RegType;
using platform::RegValue;

namespace platform {

// A parsed store file as it was when its stamp was taken; never changed once shared.
struct StoreDocument {
  FileStamp Stamp;
  RegDocument Document;
};

}  // namespace platform

namespace {

using DocumentPtr = std::shared_ptr<const platform::StoreDocument>;

// The documents the store objects of this process hold, by file: the game opens three keys of
// the settings file at start, and one parse serves them all. Only documents some object still
// holds are kept.
class DocumentCache {
 public:
  DocumentPtr Find(const std::string& file, const FileStamp& stamp) {
    const std::lock_guard<std::mutex> hold(Mutex);
    const auto found = Documents.find(file);
    if (found == Documents.end()) return nullptr;
    DocumentPtr document = found->second.lock();
    return document != nullptr && document->Stamp == stamp ? document : nullptr;
  }

  void Put(const std::string& file, const DocumentPtr& document) {
    const std::lock_guard<std::mutex> hold(Mutex);
    Documents[file] = document;
  }

 private:
  std::mutex Mutex;
  std::unordered_map<std::string, std::weak_ptr<const platform::StoreDocument>> Documents;
};

DocumentCache& SharedDocuments() {
  static DocumentCache cache;
  return cache;
}

constexpr std::string_view GameFolder = "huebloc";

bool IsAtOrBelow(std::string_view path, std::string_view key) {
  return path.size() >= key.size() && platform::SameName(path.substr(0, key.size()), key) &&
         (path.size() == key.size() || path[key.size()] == '\\');
}

// What is wrong with a damaged file, as it follows the file in a message.
std::string DamageOf(const RegParseError& error) {
  return "damaged at line " + std::to_string(error.Line()) + ": " + error.Reason();
}

std::string DamagedMessage(const std::string& file, const RegParseError& error) {
  return "The store file '" + file + "' is " + DamageOf(error);
}

std::string CannotReadMessage(const std::string& file, const FileError& error) {
  return "Cannot read the store file '" + file + "': " + error.Cause();
}

// The store file of a key, or "" with the reason in why.
std::string StoreFileFor(std::string_view keyPath, std::string& why) {
  if (!IsAtOrBelow(keyPath, GameKeyPath)) {
    why = "the key '" + std::string(keyPath) + "' is not one of the game's, which this store keeps";
    return {};
  }
  const bool scores = IsAtOrBelow(keyPath, HighScoresKeyPath);
  const std::string_view fileName = scores ? HighScoresFileName : SettingsFileName;
  const char* variable = scores ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME";
  const std::string base = platform::XdgBaseFolder(variable, scores ? ".local/share" : ".config");
  if (base.empty()) {
    why = "no place for the store file " + std::string(fileName) + ": there is no home folder (neither " + variable +
          " nor HOME holds an absolute path, and the user has none in the password database)";
    return {};
  }
  return base + "/" + std::string(GameFolder) + "/" + std::string(fileName);
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

ERegistryException::ERegistryException(const std::string& message, std::string detail)
    : std::runtime_error(message), DetailText(std::move(detail)) {}

std::string TRegistry::FileForKey(std::string_view keyPath) {
  std::string why;
  return StoreFileFor(keyPath, why);
}

void TRegistry::Refresh() {
  // Every write replaces the file by rename, so a changed inode marks it; edits made in place
  // by hand show in the size and modification time.
  try {
    const FileStamp stamp = platform::StampOf(FilePath);
    if (Document != nullptr && DocumentFile == FilePath && Document->Stamp == stamp) return;
    if (DocumentPtr shared = SharedDocuments().Find(FilePath, stamp)) {
      Document = std::move(shared);
      DocumentFile = FilePath;
      return;
    }
    auto document = std::make_shared<platform::StoreDocument>();
    const std::optional<std::string> text = platform::ReadWholeFile(FilePath, &document->Stamp);
    if (text) document->Document = platform::ParseRegistryText(*text);
    SharedDocuments().Put(FilePath, document);
    Document = std::move(document);
    DocumentFile = FilePath;
  } catch (const RegParseError& error) {
    Document.reset();
    throw ERegistryException(DamagedMessage(FilePath, error));
  } catch (const FileError& error) {
    Document.reset();
    throw ERegistryException(CannotReadMessage(FilePath, error), error.what());
  }
}

void TRegistry::Update(const std::function<bool(RegDocument&)>& edit) {
  auto result = std::make_shared<platform::StoreDocument>();
  result->Stamp = platform::ReplaceFileLocked(
      FilePath, [&](const std::optional<std::string>& text, const FileStamp& stamp) -> std::optional<std::string> {
        // Merge into the file as it is now: another game may have written since we read it.
        // The document in hand serves when it is of that very file.
        if (Document != nullptr && DocumentFile == FilePath && Document->Stamp == stamp) {
          result->Document = Document->Document;
        } else {
          result->Document = text ? platform::ParseRegistryText(*text) : RegDocument{};
        }
        if (!edit(result->Document)) return std::nullopt;
        return platform::FormatRegistryText(result->Document);
      });
  SharedDocuments().Put(FilePath, result);
  Document = std::move(result);
  DocumentFile = FilePath;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string_view requested = key;
  if (!requested.empty() && requested.front() == '\\') requested.remove_prefix(1);
  while (!requested.empty() && requested.back() == '\\') requested.remove_suffix(1);
  std::string path(requested);
  if (!platform::IsValidKeyPath(path)) {
    OpenError = "the key name '" + key + "' is malformed";
    return false;
  }
  std::string why;
  const std::string file = StoreFileFor(path, why);
  if (file.empty()) {
    OpenError = why;
    return false;
  }

  // Take the new key's file for reading; restore the old key if this one does not open.
  std::string previousFile = std::exchange(FilePath, file);
  bool opened = false;
  try {
    Refresh();
    opened = Document->Document.KeyExists(path);
    if (!opened && !canCreate) why = file + ": the key '" + path + "' does not exist";
    if (!opened && canCreate) {
      // Keys are created at once, as the registry does, under the lock like any write.
      Update([&](RegDocument& document) {
        if (document.KeyExists(path)) return false;
        document.AddKey(path);
        return true;
      });
      opened = true;
    }
  } catch (const RegParseError& error) {
    const std::string message = DamagedMessage(FilePath, error);
    FilePath = std::move(previousFile);
    throw ERegistryException(message);
  } catch (const FileError& error) {
    why = file + ": " + error.Cause();  // the key cannot be created here (read-only or full disk, ...)
  } catch (...) {
    FilePath = std::move(previousFile);
    throw;
  }
  if (!opened) {
    FilePath = std::move(previousFile);
    OpenError = std::move(why);
    return false;
  }
  IsOpen = true;
  KeyPath = std::move(path);
  OpenError.clear();
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
  const platform::RegKey* key = Document->Document.FindKey(KeyPath);
  return key != nullptr ? key->FindValue(name) : nullptr;
}

bool TRegistryValues::ValueExists(const std::string& name) { return FindValue(name) != nullptr; }

int32_t TRegistryValues::ReadInteger(const std::string& name) {
  const RegValue* value = FindValue(name);
  if (value == nullptr) throw ERegistryException("Failed to get data for " + Quoted(name));
  if (value->Type != RegType::DWord) throw ERegistryException("Invalid data type for " + Quoted(name));
  return static_cast<int32_t>(value->Number);
}

std::string TRegistryValues::ReadString(const std::string& name) {
  const RegValue* value = FindValue(name);
  if (value == nullptr) throw ERegistryException("Failed to get data for " + Quoted(name));
  if (value->Type != RegType::String) throw ERegistryException("Invalid data type for " + Quoted(name));
  return value->Text;
}

const RegValue* TRegistryTransaction::FindValue(const std::string& name) {
  return Key != nullptr ? Key->FindValue(name) : nullptr;
}

void TRegistryTransaction::WriteInteger(const std::string& name, int32_t value) {
  Writes.push_back(TRegistry::IntegerValue(name, value));
}

void TRegistryTransaction::WriteString(const std::string& name, const std::string& value) {
  Writes.push_back(TRegistry::StringValue(name, value));
}

RegValue TRegistry::IntegerValue(const std::string& name, int32_t value) {
  RegValue entry;
  entry.Name = name;
  entry.Type = RegType::DWord;
  entry.Number = static_cast<uint32_t>(value);
  return entry;
}

RegValue TRegistry::StringValue(const std::string& name, const std::string& value) {
  RegValue entry;
  entry.Name = name;
  entry.Type = RegType::String;
  entry.Text = value;
  return entry;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) { WriteValues({IntegerValue(name, value)}); }

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteValues({StringValue(name, value)});
}

void TRegistry::WriteValues(std::vector<RegValue> values) {
  if (values.empty()) return;
  Transact(values.front().Name, [&](TRegistryTransaction& transaction) { transaction.Writes = std::move(values); });
}

void TRegistry::Transact(const std::string& reportAs, const std::function<void(TRegistryTransaction&)>& body) {
  const std::string failed = "Failed to set data for " + Quoted(reportAs);
  if (!IsOpen) throw ERegistryException(failed + ": " + (OpenError.empty() ? "no key is open" : OpenError));
  try {
    Update([&](RegDocument& document) {
      TRegistryTransaction transaction(document.FindKey(KeyPath));
      body(transaction);
      // The store never writes a text it could not keep.
      for (const RegValue& value : transaction.Writes) {
        std::string refusal;
        if (!platform::IsValidValueName(value.Name))
          refusal = "a value name cannot hold a line break or a NUL character";
        if (refusal.empty() && value.Type == RegType::String) refusal = platform::WhyTextCannotBeStored(value.Text);
        if (!refusal.empty())
          throw ERegistryException("Failed to set data for " + Quoted(value.Name) + ": " + FilePath + ": " + refusal);
      }
      bool changed = false;
      for (RegValue& value : transaction.Writes) {
        const platform::RegKey* old = document.FindKey(KeyPath);
        const RegValue* current = old != nullptr ? old->FindValue(value.Name) : nullptr;
        if (current != nullptr && current->Type == value.Type && current->Number == value.Number &&
            current->Text == value.Text)
          continue;
        document.AddKey(KeyPath).SetValue(std::move(value));
        changed = true;
      }
      return changed;
    });
  } catch (const RegParseError& error) {
    throw ERegistryException(failed + ": " + FilePath + ": it is " + DamageOf(error));
  } catch (const FileError& error) {
    throw ERegistryException(failed + ": " + FilePath + ": " + error.Cause(), error.what());
  }
}
