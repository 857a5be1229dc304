#include "platform/Registry.h"

#include <optional>
#include <utility>

#include "platform/UserFolders.h"

using platform::FileError;
using platform::RegDocument;
using platform::RegParseError;
using platform::RegType;
using platform::RegValue;

namespace {

// What is wrong with a damaged file, as it follows the file in a message.
std::string DamageOf(const RegParseError& error) {
  return "damaged at line " + std::to_string(error.Line()) + ": " + error.what();
}

std::string DamagedMessage(const std::string& file, const RegParseError& error) {
  return "The store file '" + file + "' is " + DamageOf(error);
}

const RegValue& Typed(const RegValue* value, RegType type, const std::string& name) {
  if (value == nullptr) throw ERegistryException("Failed to get data for '" + name + "'");
  if (value->Type != type) throw ERegistryException("Invalid data type for '" + name + "'");
  return *value;
}

}  // namespace

std::string TRegistry::FileForKey(std::string_view keyPath, std::string* why) {
  const auto fail = [&](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return std::string();
  };
  if (!platform::IsAtOrBelow(keyPath, GameKeyPath))
    return fail("the key '" + std::string(keyPath) + "' is not one of the game's, which this store keeps");
  const bool scores = platform::IsAtOrBelow(keyPath, HighScoresKeyPath);
  const std::string fileName = scores ? "highscores.reg" : "settings.reg";
  const char* variable = scores ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME";
  const std::string base = platform::XdgBaseFolder(variable, scores ? ".local/share" : ".config");
  if (base.empty())
    return fail("no place for the store file " + fileName + ": there is no home folder (neither " + variable +
                " nor HOME holds an absolute path, and the user has none in the password database)");
  return base + "/huebloc/" + fileName;
}

const RegDocument& TRegistry::Parsed(std::string text) {
  if (text != DocumentText) {
    Document = platform::ParseRegistryText(text);
    DocumentText = std::move(text);
  }
  return Document;
}

const RegDocument& TRegistry::Read(const std::string& file) {
  try {
    return Parsed(platform::ReadWholeFile(file).value_or(""));
  } catch (const RegParseError& error) {
    throw ERegistryException(DamagedMessage(file, error));
  } catch (const FileError& error) {
    throw ERegistryException("Cannot read the store file '" + file + "': " + error.Cause());
  }
}

void TRegistry::Update(const std::string& file, const std::function<bool(RegDocument&)>& edit) {
  platform::ReplaceFileLocked(file, [&](const std::optional<std::string>& text) -> std::optional<std::string> {
    // Merge into the file as it is now: another game may have written since we read it.
    RegDocument document = Parsed(text.value_or(""));
    if (!edit(document)) return std::nullopt;
    return platform::FormatRegistryText(document);
  });
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string_view requested = key;
  if (!requested.empty() && requested.front() == '\\') requested.remove_prefix(1);
  while (!requested.empty() && requested.back() == '\\') requested.remove_suffix(1);
  const std::string path(requested);
  std::string why = "the key name '" + key + "' is malformed";
  const std::string file = platform::IsValidKeyPath(path) ? FileForKey(path, &why) : "";
  if (file.empty()) {
    OpenError = why;
    return false;
  }
  try {
    if (!Read(file).KeyExists(path)) {
      if (!canCreate) {
        OpenError = file + ": the key '" + path + "' does not exist";
        return false;
      }
      // Keys are created at once, as the registry does, under the lock like any write.
      Update(file, [&](RegDocument& document) {
        if (document.KeyExists(path)) return false;
        document.AddKey(path);
        return true;
      });
    }
  } catch (const RegParseError& error) {
    throw ERegistryException(DamagedMessage(file, error));
  } catch (const FileError& error) {
    OpenError = file + ": " + error.Cause();  // the key cannot be created here (read-only or full disk, ...)
    return false;
  }
  KeyPath = path;
  FilePath = file;
  OpenError.clear();
  return true;
}

const RegValue* TRegistry::FindValue(const std::string& name) {
  if (KeyPath.empty()) return nullptr;
  const platform::RegKey* key = Read(FilePath).FindKey(KeyPath);
  return key != nullptr ? key->FindValue(name) : nullptr;
}

int32_t TRegistryValues::ReadInteger(const std::string& name) {
  return static_cast<int32_t>(Typed(FindValue(name), RegType::DWord, name).Number);
}

std::string TRegistryValues::ReadString(const std::string& name) {
  return Typed(FindValue(name), RegType::String, name).Text;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  Transact(name, [&](TRegistryTransaction& transaction) { transaction.WriteInteger(name, value); });
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  Transact(name, [&](TRegistryTransaction& transaction) { transaction.WriteString(name, value); });
}

void TRegistry::Transact(const std::string& reportAs, const std::function<void(TRegistryTransaction&)>& body) {
  const std::string failed = "Failed to set data for '" + reportAs + "': ";
  if (KeyPath.empty()) throw ERegistryException(failed + (OpenError.empty() ? "no key is open" : OpenError));
  try {
    Update(FilePath, [&](RegDocument& document) {
      TRegistryTransaction transaction(document.FindKey(KeyPath));
      body(transaction);
      bool changed = false;
      for (RegValue& value : transaction.Writes) {
        // The store never writes a text it could not keep; throwing here leaves the file as it is.
        const std::string refusal = platform::WhyValueCannotBeStored(value);
        if (!refusal.empty())
          throw ERegistryException("Failed to set data for '" + value.Name + "': " + FilePath + ": " + refusal);
        const platform::RegKey* key = document.FindKey(KeyPath);
        const RegValue* current = key != nullptr ? key->FindValue(value.Name) : nullptr;
        if (current != nullptr && current->Type == value.Type && current->Number == value.Number &&
            current->Text == value.Text)
          continue;
        document.AddKey(KeyPath).SetValue(std::move(value));
        changed = true;
      }
      return changed;
    });
  } catch (const RegParseError& error) {
    throw ERegistryException(failed + FilePath + ": it is " + DamageOf(error));
  } catch (const FileError& error) {
    throw ERegistryException(failed + FilePath + ": " + error.Cause());
  }
}
